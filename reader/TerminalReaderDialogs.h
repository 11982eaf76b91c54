// The reader's dialogs as text on a terminal: the dialog's lines, then
// questions answered at the prompt. Unattended (no terminal, or VXST_UI=none)
// it shows the dialog and answers for the user: the firm-code dialog with its
// default button (OK, the first firm code), the file dialog with Cancel, as
// nobody is there to enter a path.
#pragma once

#include <cstdio>
#include <string>

#include "reader/ReaderDialogs.h"

class TerminalReaderDialogs : public ReaderDialogFrontEnd {
 public:
  TerminalReaderDialogs(std::FILE* in, std::FILE* out, bool interactive)
      : m_in(in), m_out(out), m_interactive(interactive) {}

  int WaitForFirmCodeButton(DlgFirmCode& dialog) override;
  int WaitForFileSelectButton(DlgFileSelect& dialog) override;
  bool ChooseFileToOpen(const FileOpenRequest& request, std::string& path) override;

 private:
  void ShowFirmCodeDialog(const DlgFirmCode& dialog);
  void ShowFileSelectDialog(const DlgFileSelect& dialog);
  // Writes PROMPT and reads the answer; false at the end of input.
  bool Ask(const std::string& prompt, std::string& answer);
  void WriteLine(const std::string& line);

  std::FILE* m_in;
  std::FILE* m_out;
  bool m_interactive;
};
