#include "host/WebDialogs.h"

#include "reader/DlgFileSelect.h"
#include "reader/DlgFirmCode.h"
#include "reader/ReaderExports.h"

WebDialogs::~WebDialogs() {
  if (m_setUserInterface) m_setUserInterface(nullptr, nullptr);
}

bool WebDialogs::Attach(const std::string& modulePath, std::string& error) {
  if (m_module.Load(modulePath) != ERROR_SUCCESS) {
    error = "cannot load " + modulePath + ": " + m_module.LoadError();
    return false;
  }
  m_setUserInterface =
      reinterpret_cast<SetUserInterfaceProc>(m_module.Symbol("VxStRdSetUserInterface"));
  if (!m_setUserInterface) {
    error = modulePath + " takes no user interface from its host";
    return false;
  }
  m_setUserInterface(this, this);
  return true;
}

void WebDialogs::BeginRequest(std::optional<FileAnswer> answer) {
  m_answer = std::move(answer);
  m_answerTaken = false;
  m_firmCode.reset();
  m_fileSelect.reset();
  m_messages.clear();
}

int WebDialogs::WaitForFirmCodeButton(DlgFirmCode& dialog) {
  m_firmCode = FirmCodeView{dialog.m_archiveName, dialog.GetEntries()};
  return IDCANCEL;
}

int WebDialogs::WaitForFileSelectButton(DlgFileSelect& dialog) {
  if (m_answer && !m_answerTaken) {
    m_answerTaken = true;
    dialog.SetFilePath(m_answer->path);
    dialog.SetUpdateRegistry(m_answer->updateRegistry);
    m_fileSelect.reset();
    return IDOK;
  }
  m_fileSelect =
      FileSelectView{dialog.GetFileLine(), dialog.GetDocumentLine(), dialog.GetFilePath(),
                     dialog.IsUpdateRegistryEnabled(), dialog.GetUpdateRegistry()};
  return IDCANCEL;
}

// The browser cannot look into the server's folders: no file-open dialog.
bool WebDialogs::ChooseFileToOpen(const FileOpenRequest&, std::string&) { return false; }

int WebDialogs::ShowMessageBox(const MessageBoxRequest& request) {
  WriteMessageBoxText(stderr, request);
  m_messages.emplace_back(request.text);
  return DefaultMessageBoxAnswer(request.style);
}
