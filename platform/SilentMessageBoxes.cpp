#include "platform/UserInterface.h"

int SilentMessageBoxes::ShowMessageBox(const MessageBoxRequest& request) {
  WriteMessageBoxText(m_out, request);
  return DefaultMessageBoxAnswer(request.style);
}
