#include "base/ReportException.h"

#include "base/KelException.h"
#include "base/MessageCodes.h"

std::int32_t ReportFrameworkException(CKelErrorMessage& messages, CException* exception) {
  if (auto* abort = dynamic_cast<CKelAbortException*>(exception)) return abort->m_exitCode;
  if (auto* error = dynamic_cast<CKelException*>(exception)) {
    messages.Report(error);
    return messages.m_severity;
  }
  if (dynamic_cast<CMemoryException*>(exception) != nullptr) {
    // No allocation: the stand-in exception has empty texts only.
    CKelException outOfMemory(vxs::kOutOfMemory);
    messages.Report(&outOfMemory);
    return messages.m_severity;
  }
  throw exception;
}
