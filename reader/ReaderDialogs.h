// How the reader's dialogs reach the user. The dialog classes (DlgFirmCode,
// DlgFileSelect) hold the logic; a front-end shows a dialog as it stands, lets
// the user change its fields through the dialog's setters and reports the button
// pressed. Front-ends: the terminal (reader/TerminalReaderDialogs.h), a scripted
// one for tests (reader/ScriptedReaderDialogs.h), and graphical or web-page ones
// registered by the programs that have them.
#pragma once

#include <string>

#include "platform/Dialog.h"

class DlgFirmCode;
class DlgFileSelect;

// The system's file-open dialog, as the file dialog's Find button asks for it.
struct FileOpenRequest {
  std::string title;
  // Pairs of description and pattern, each ended by "|", the list by "||".
  std::string filter;
  std::string defaultExtension;
  // The name the dialog starts with; empty for none.
  std::string startName;
};

class ReaderDialogFrontEnd {
 public:
  virtual ~ReaderDialogFrontEnd() = default;
  // Shows DIALOG and waits for a button: IDOK (after selecting the user's entry
  // with DlgFirmCode::Select) or IDCANCEL.
  virtual int WaitForFirmCodeButton(DlgFirmCode& dialog) = 0;
  // Shows DIALOG and waits for a button: IDOK, IDCANCEL or
  // DlgFileSelect::kFindButton, after setting the path and the check box the
  // user entered (DlgFileSelect::SetFilePath, SetUpdateRegistry).
  virtual int WaitForFileSelectButton(DlgFileSelect& dialog) = 0;
  // The file-open dialog: true with the chosen file's full path in PATH.
  virtual bool ChooseFileToOpen(const FileOpenRequest& request, std::string& path) = 0;
};

// The front-end of the reader's dialogs, chosen as the message boxes' one is
// (VXST_UI, else the terminal when there is one, else a registered graphical
// front-end, else none: the default button, on standard error).
ReaderDialogFrontEnd& CurrentReaderDialogFrontEnd();
// Lets the automatic choice and VXST_UI=gtk use FRONTEND (nullptr withdraws it).
void RegisterGraphicalReaderDialogs(ReaderDialogFrontEnd* frontEnd);
// Puts FRONTEND in place of the chosen one (tests, the HTTP host); nullptr
// returns to the choice.
void SetReaderDialogFrontEnd(ReaderDialogFrontEnd* frontEnd);
