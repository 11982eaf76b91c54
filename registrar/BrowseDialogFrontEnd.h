// How the list dialog reaches the user. DlgDocumentBrowse holds the logic; a
// front-end shows the dialog as it stands and hands the user's actions to it
// until it has ended. Front-ends: the terminal (TerminalBrowseDialog), a
// scripted one for tests (ScriptedBrowseDialog), and a graphical one registered
// by a program that links a toolkit.
#pragma once

#include <cstdio>
#include <string>

class DlgDocumentBrowse;

class BrowseDialogFrontEnd {
 public:
  virtual ~BrowseDialogFrontEnd() = default;
  // Shows DIALOG (initialised) and hands it the user's actions; returns when
  // the dialog has ended or the user left it (taken as Close).
  virtual void RunBrowseDialog(DlgDocumentBrowse& dialog) = 0;
};

// The dialog as text on a terminal: the list, the check boxes and the
// description, then one command per line: a list number selects, "o" opens,
// "c" and "a" switch the check boxes, "q" (or the end of input) closes.
// Unattended it shows the dialog once and closes it.
class TerminalBrowseDialog : public BrowseDialogFrontEnd {
 public:
  TerminalBrowseDialog(std::FILE* in, std::FILE* out, bool interactive)
      : m_in(in), m_out(out), m_interactive(interactive) {}
  void RunBrowseDialog(DlgDocumentBrowse& dialog) override;

 private:
  void Show(const DlgDocumentBrowse& dialog);
  // Carries out one command line; false when it closes the dialog.
  bool Perform(DlgDocumentBrowse& dialog, const std::string& line);

  std::FILE* m_in;
  std::FILE* m_out;
  bool m_interactive;
};

// The front-end chosen as the message boxes' one is (VXST_UI, else the terminal
// when there is one, else a registered graphical one, else the unattended
// terminal).
BrowseDialogFrontEnd& CurrentBrowseDialogFrontEnd();
// Lets the automatic choice and VXST_UI=gtk use FRONTEND (nullptr withdraws it).
void RegisterGraphicalBrowseDialog(BrowseDialogFrontEnd* frontEnd);
// Puts FRONTEND in place of the chosen one (tests); nullptr returns to the choice.
void SetBrowseDialogFrontEnd(BrowseDialogFrontEnd* frontEnd);
