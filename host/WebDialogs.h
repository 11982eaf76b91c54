// The reader's dialogs and message boxes as the HTTP host shows them. A modal
// dialog cannot wait for a browser on the one request thread, so the front-end
// answers at once: it records the dialog as the user would have seen it and
// cancels, and the host serves a page with the same choices instead of the
// reader's page. The user's answer comes back with a later request (a firm
// code in the URL; the file dialog's form as a POST), which the front-end
// hands to the dialog when the reader asks again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SharedLibrary.h"
#include "platform/UserInterface.h"
#include "reader/ReaderDialogs.h"

class WebDialogs : public ReaderDialogFrontEnd, public MessageBoxFrontEnd {
 public:
  struct FirmCodeView {
    std::string archiveName;
    std::vector<std::string> firmCodes;
  };
  struct FileSelectView {
    std::string fileLine;
    std::string documentLine;
    std::string path;
    bool updateRegistryEnabled = false;
    bool updateRegistry = false;
  };
  // What the user entered into the file dialog's form.
  struct FileAnswer {
    std::string path;
    bool updateRegistry = false;
  };

  WebDialogs() = default;
  WebDialogs(const WebDialogs&) = delete;
  WebDialogs& operator=(const WebDialogs&) = delete;
  ~WebDialogs() override;

  // Hands this front-end to the reader module at MODULEPATH (withdrawn again at
  // destruction); false with ERROR set when the module offers no way to.
  bool Attach(const std::string& modulePath, std::string& error);

  // Starts a request: forgets what the last one showed; ANSWER is given to the
  // first file dialog the reader opens.
  void BeginRequest(std::optional<FileAnswer> answer = std::nullopt);

  // What the request showed, when it showed a dialog that ended without OK.
  const std::optional<FirmCodeView>& FirmCodeShown() const { return m_firmCode; }
  const std::optional<FileSelectView>& FileSelectShown() const { return m_fileSelect; }
  // The texts of the message boxes of the request, in order.
  const std::vector<std::string>& Messages() const { return m_messages; }
  bool AnswerTaken() const { return m_answerTaken; }

  int WaitForFirmCodeButton(DlgFirmCode& dialog) override;
  int WaitForFileSelectButton(DlgFileSelect& dialog) override;
  bool ChooseFileToOpen(const FileOpenRequest& request, std::string& path) override;
  int ShowMessageBox(const MessageBoxRequest& request) override;

 private:
  using SetUserInterfaceProc = void (*)(MessageBoxFrontEnd*, ReaderDialogFrontEnd*);

  SharedLibrary m_module;
  SetUserInterfaceProc m_setUserInterface = nullptr;
  std::optional<FileAnswer> m_answer;
  bool m_answerTaken = false;
  std::optional<FirmCodeView> m_firmCode;
  std::optional<FileSelectView> m_fileSelect;
  std::vector<std::string> m_messages;
};
