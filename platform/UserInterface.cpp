#include "platform/UserInterface.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/FrontEndChoice.h"

namespace {
FrontEndChoice<MessageBoxFrontEnd, TerminalMessageBoxes>& MessageBoxChoice() {
  static SilentMessageBoxes silent(stderr);
  static FrontEndChoice<MessageBoxFrontEnd, TerminalMessageBoxes> choice(&silent);
  return choice;
}

bool OnTerminal() { return isatty(STDIN_FILENO) && isatty(STDERR_FILENO); }
}  // namespace

std::vector<int> MessageBoxAnswers(DWORD style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

int DefaultMessageBoxAnswer(DWORD style) {
  std::vector<int> answers = MessageBoxAnswers(style);
  std::size_t index = (style & MB_DEFMASK) >> 8;
  return index < answers.size() ? answers[index] : answers.front();
}

void WriteMessageBoxText(std::FILE* out, const MessageBoxRequest& request) {
  if (!request.caption.empty()) {
    std::fwrite(request.caption.data(), 1, request.caption.size(), out);
    std::fputs(": ", out);
  }
  std::fwrite(request.text.data(), 1, request.text.size(), out);
  std::fputc('\n', out);
  std::fflush(out);
}

UserInterfaceKind ChooseUserInterface(bool graphicalRegistered) {
  const char* choice = std::getenv("VXST_UI");
  if (choice != nullptr) {
    if (std::strcmp(choice, "terminal") == 0 || std::strcmp(choice, "script") == 0)
      return UserInterfaceKind::Terminal;
    if (std::strcmp(choice, "none") == 0) return UserInterfaceKind::None;
    if (std::strcmp(choice, "gtk") == 0 && graphicalRegistered) return UserInterfaceKind::Graphical;
  }
  if (OnTerminal()) return UserInterfaceKind::Terminal;
  return graphicalRegistered ? UserInterfaceKind::Graphical : UserInterfaceKind::None;
}

bool AnswersFromStandardInput() {
  const char* choice = std::getenv("VXST_UI");
  return isatty(STDIN_FILENO) || (choice != nullptr && std::strcmp(choice, "script") == 0);
}

void RegisterGraphicalMessageBoxes(MessageBoxFrontEnd* frontEnd) {
  MessageBoxChoice().RegisterGraphical(frontEnd);
}

void SetMessageBoxFrontEnd(MessageBoxFrontEnd* frontEnd) { MessageBoxChoice().Replace(frontEnd); }

MessageBoxFrontEnd& CurrentMessageBoxFrontEnd() { return MessageBoxChoice().Current(); }

int MessageBoxA(const char* text, const char* caption, DWORD style, DWORD helpContext) {
  MessageBoxRequest request{caption ? caption : "", text ? text : "", style, helpContext};
  return CurrentMessageBoxFrontEnd().ShowMessageBox(request);
}
