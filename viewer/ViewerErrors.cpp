#include "viewer/ViewerErrors.h"

#include <memory>

#include "base/KelException.h"
#include "platform/UserInterface.h"

namespace {

void Show(const std::string& text) {
  MessageBoxA(text.c_str(), kViewerCaption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

std::string KelExceptionBoxText(const CKelException& failure) {
  return "Error Number " + std::to_string(failure.m_code) + "\r\n\n" + failure.m_arg1 + "\r\n" +
         failure.m_arg2 + " " + failure.m_arg3;
}

bool RunShowingErrors(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (CKelException* failure) {
    const std::unique_ptr<CKelException> owned(failure);
    Show(KelExceptionBoxText(*failure));
  } catch (CException* failure) {
    failure->Delete();
    Show(kUnknownErrorText);
  } catch (const vxs::Exception& failure) {
    Show(failure.what());
  } catch (...) {
    Show(kUnknownErrorText);
  }
  return false;
}
