#include "tools/vxb/Console.h"

#include "tools/vxb/ShownText.h"

namespace vxb {

Console::Console(std::ostream& out, std::ostream& err, bool progressBar)
    : m_out(out), m_err(err), m_progressBar(progressBar), m_messages(nullptr, 0, "VK") {
  m_messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine |
                       CKelErrorMessage::kExecutableName;
}

void Console::Report(CKelException& exception) {
  m_out.flush();
  // Names from archives and file systems may hold control characters.
  m_err << ShownText(m_messages.Report(&exception)) << '\n';
  m_err.flush();
}

void Console::Warn(std::string text, std::string arg) {
  CKelException warning(4000, std::move(text), std::move(arg));
  Report(warning);
}

}  // namespace vxb
