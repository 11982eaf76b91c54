#include "platform/gtk/GtkMessageBoxes.h"

#include <algorithm>
#include <string>

#include "platform/gtk/ModalDialog.h"

namespace {

GtkMessageType MessageTypeOf(DWORD style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION: return GTK_MESSAGE_WARNING;
    case MB_ICONINFORMATION: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
  }
}

// The answer of a box closed without a button.
int ClosedAnswer(DWORD style) {
  const std::vector<int> answers = MessageBoxAnswers(style);
  if (std::find(answers.begin(), answers.end(), IDCANCEL) != answers.end()) return IDCANCEL;
  return DefaultMessageBoxAnswer(style);
}

}  // namespace

const char* MessageBoxButtonLabel(int answer) {
  switch (answer) {
    case IDOK: return "_OK";
    case IDCANCEL: return "_Cancel";
    case IDABORT: return "_Abort";
    case IDRETRY: return "_Retry";
    case IDIGNORE: return "_Ignore";
    case IDYES: return "_Yes";
    case IDNO: return "_No";
    default: return "?";
  }
}

int GtkMessageBoxes::ShowMessageBox(const MessageBoxRequest& request) {
  const std::string text = WithoutCarriageReturns(std::string(request.text));
  GtkWidget* box = gtk_message_dialog_new(ActiveWindow(), GTK_DIALOG_MODAL, MessageTypeOf(request.style),
                                          GTK_BUTTONS_NONE, "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(box), std::string(request.caption).c_str());
  const std::vector<int> answers = MessageBoxAnswers(request.style);
  for (int answer : answers) gtk_dialog_add_button(GTK_DIALOG(box), MessageBoxButtonLabel(answer), answer);
  gtk_dialog_set_default_response(GTK_DIALOG(box), DefaultMessageBoxAnswer(request.style));
  int response = RunModalDialog(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  if (std::find(answers.begin(), answers.end(), response) == answers.end())
    response = ClosedAnswer(request.style);
  return response;
}
