// The reader's dialogs as GTK dialogs: the firm-code choice (a list of firm
// codes) and the request for a moved archive's file (path, check box, Find).
// Widgets carry names, so that tests can drive them: "archive-name",
// "firm-codes" (firm-code dialog); "file-line", "document-line", "path",
// "update-registry" (file dialog).
#pragma once

#include "reader/ReaderDialogs.h"

class GtkReaderDialogs : public ReaderDialogFrontEnd {
 public:
  int WaitForFirmCodeButton(DlgFirmCode& dialog) override;
  int WaitForFileSelectButton(DlgFileSelect& dialog) override;
  bool ChooseFileToOpen(const FileOpenRequest& request, std::string& path) override;
};
