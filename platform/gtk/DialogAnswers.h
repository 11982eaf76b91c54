// Modal dialogs answered without a user, for tests that drive a whole program:
// every dialog is answered with its default button, or with the response given
// for its title, and logged when a log is named. A dialog asked a second time
// (it stayed after its answer) is cancelled, so that a run always ends. The program takes these lines
// from its test script:
//
//   dialogs FILE         append dialog=TITLE and text=TEXT (message boxes) of
//                        every dialog to FILE
//   answer N TITLE       answer dialogs titled TITLE with response N (1 OK,
//                        2 Cancel, ...) in place of the default
#pragma once

#include <map>
#include <string>

#include "platform/gtk/ModalDialog.h"

class DialogAnswers {
 public:
  DialogAnswers() = default;
  ~DialogAnswers() { Stop(); }
  DialogAnswers(const DialogAnswers&) = delete;
  DialogAnswers& operator=(const DialogAnswers&) = delete;

  // Takes LINE when it is one of the lines above; false for any other line.
  bool TakeLine(const std::string& line);
  // Answers every later dialog (SetModalDialogHook); Stop returns them to the user.
  void Start();
  void Stop();

  int Answer(GtkDialog* dialog);

 private:
  void AddAnswer(const std::string& text);

  std::string m_log;
  std::map<std::string, int> m_answers;  // by dialog title
  bool m_started = false;
};
