// Message boxes, with the Windows styles and answers, shown through one of a few
// front-ends:
//   - terminal: the text on standard error; questions answered at the prompt, or
//     with the default button when standard input is no terminal;
//   - none: the text on standard error, every question answered with the default button;
//   - graphical: registered by a program that links a toolkit (the viewer's GTK);
//   - scripted: for tests, which queue answers and read back what was shown.
// VXST_UI ("terminal", "gtk", "none", "script") chooses the front-end; "script"
// is the terminal front-end reading every answer from standard input even when
// that is no terminal, one line per question (tests drive programs so, and the
// end of input answers with the default button). Without VXST_UI (or when
// it names a graphical front-end nobody registered) the choice is automatic: the
// terminal when standard input and standard error are terminals, else the
// registered graphical front-end, else none.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

// Button sets (low four bits of the style).
inline constexpr DWORD MB_OK = 0x0;
inline constexpr DWORD MB_OKCANCEL = 0x1;
inline constexpr DWORD MB_ABORTRETRYIGNORE = 0x2;
inline constexpr DWORD MB_YESNOCANCEL = 0x3;
inline constexpr DWORD MB_YESNO = 0x4;
inline constexpr DWORD MB_RETRYCANCEL = 0x5;
inline constexpr DWORD MB_TYPEMASK = 0xF;
// Icons.
inline constexpr DWORD MB_ICONHAND = 0x10;
inline constexpr DWORD MB_ICONSTOP = MB_ICONHAND;
inline constexpr DWORD MB_ICONERROR = MB_ICONHAND;
inline constexpr DWORD MB_ICONQUESTION = 0x20;
inline constexpr DWORD MB_ICONEXCLAMATION = 0x30;
inline constexpr DWORD MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr DWORD MB_ICONINFORMATION = 0x40;
inline constexpr DWORD MB_ICONASTERISK = MB_ICONINFORMATION;
inline constexpr DWORD MB_ICONMASK = 0xF0;
// Default button.
inline constexpr DWORD MB_DEFBUTTON1 = 0x000;
inline constexpr DWORD MB_DEFBUTTON2 = 0x100;
inline constexpr DWORD MB_DEFBUTTON3 = 0x200;
inline constexpr DWORD MB_DEFMASK = 0xF00;
// Modality.
inline constexpr DWORD MB_APPLMODAL = 0x0000;
inline constexpr DWORD MB_SYSTEMMODAL = 0x1000;
inline constexpr DWORD MB_TASKMODAL = 0x2000;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// One message box to show.
struct MessageBoxRequest {
  std::string_view caption;
  std::string_view text;
  DWORD style = MB_OK;
  DWORD helpContext = 0;  // help topic of the box (the message's error code)
};

// The answers a style offers, in button order (IDOK for MB_OK).
std::vector<int> MessageBoxAnswers(DWORD style);
// The answer of the default button (MB_DEFBUTTONn; the first button when the set
// has fewer).
int DefaultMessageBoxAnswer(DWORD style);

// Writes a box as terminal text: the caption and ": " before the first line
// (when there is a caption), the text, a line end.
void WriteMessageBoxText(std::FILE* out, const MessageBoxRequest& request);

// One line from IN without its line end; false at the end of input. Shared by
// the terminal front-ends of message boxes and dialogs.
bool ReadTerminalLine(std::FILE* in, std::string& line);

class MessageBoxFrontEnd {
 public:
  virtual ~MessageBoxFrontEnd() = default;
  // Shows the box and returns the answer, one of MessageBoxAnswers(style).
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
};

// Text on OUT; questions read from IN when INTERACTIVE, else the default button.
class TerminalMessageBoxes : public MessageBoxFrontEnd {
 public:
  TerminalMessageBoxes(std::FILE* in, std::FILE* out, bool interactive)
      : m_in(in), m_out(out), m_interactive(interactive) {}
  int ShowMessageBox(const MessageBoxRequest& request) override;

 private:
  int AskAtPrompt(DWORD style);

  std::FILE* m_in;
  std::FILE* m_out;
  bool m_interactive;
};

// Text on OUT (standard error), every question answered with the default button.
class SilentMessageBoxes : public MessageBoxFrontEnd {
 public:
  explicit SilentMessageBoxes(std::FILE* out) : m_out(out) {}
  int ShowMessageBox(const MessageBoxRequest& request) override;

 private:
  std::FILE* m_out;
};

// For tests: records every box and answers from a queue (the default button
// once the queue is empty).
class ScriptedMessageBoxes : public MessageBoxFrontEnd {
 public:
  struct Shown {
    std::string caption;
    std::string text;
    DWORD style;
    DWORD helpContext;
  };

  void QueueAnswer(int answer) { m_answers.push_back(answer); }
  const std::vector<Shown>& shown() const { return m_shown; }
  int ShowMessageBox(const MessageBoxRequest& request) override;

 private:
  std::deque<int> m_answers;
  std::vector<Shown> m_shown;
};

// The kind of front-end this process uses, by VXST_UI or the automatic choice
// described at the top; GRAPHICALREGISTERED tells whether a program registered a
// graphical one. Every user-interface service (message boxes, dialogs) follows it.
enum class UserInterfaceKind { Terminal, Graphical, None };
UserInterfaceKind ChooseUserInterface(bool graphicalRegistered);
// Whether the terminal front-ends read answers from standard input: when it is
// a terminal, or VXST_UI is "script".
bool AnswersFromStandardInput();

// Lets VXST_UI=gtk and the automatic choice use FRONTEND (nullptr withdraws it).
// Called by a program that links a graphical toolkit.
void RegisterGraphicalMessageBoxes(MessageBoxFrontEnd* frontEnd);

// Puts FRONTEND in place of the chosen one for every later box (tests);
// nullptr returns to the choice above.
void SetMessageBoxFrontEnd(MessageBoxFrontEnd* frontEnd);

// The front-end the next box goes to.
MessageBoxFrontEnd& CurrentMessageBoxFrontEnd();

// Shows TEXT under CAPTION with STYLE (button set | icon | default button |
// modality) and returns the answer (IDOK, IDCANCEL, IDYES, IDNO, ...).
int MessageBoxA(const char* text, const char* caption, DWORD style, DWORD helpContext = 0);
