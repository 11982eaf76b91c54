#include "reader/ScriptedReaderDialogs.h"

#include "platform/UserInterface.h"
#include "reader/DlgFileSelect.h"
#include "reader/DlgFirmCode.h"

int ScriptedReaderDialogs::WaitForFirmCodeButton(DlgFirmCode& dialog) {
  firmCodeViews.push_back({dialog.m_archiveName, dialog.GetEntries(), dialog.GetSelection()});
  if (m_firmCodeAnswers.empty()) return IDCANCEL;
  const FirmCodeAnswer answer = m_firmCodeAnswers.front();
  m_firmCodeAnswers.pop_front();
  if (answer.selection >= 0) dialog.Select(answer.selection);
  return answer.button;
}

int ScriptedReaderDialogs::WaitForFileSelectButton(DlgFileSelect& dialog) {
  fileSelectViews.push_back({dialog.GetFileLine(), dialog.GetDocumentLine(), dialog.GetFilePath(),
                             dialog.IsUpdateRegistryEnabled(), dialog.GetUpdateRegistry()});
  if (m_fileSelectAnswers.empty()) return IDCANCEL;
  FileSelectAnswer answer = std::move(m_fileSelectAnswers.front());
  m_fileSelectAnswers.pop_front();
  if (answer.path) dialog.SetFilePath(*answer.path);
  if (answer.updateRegistry) dialog.SetUpdateRegistry(*answer.updateRegistry);
  return answer.button;
}

bool ScriptedReaderDialogs::ChooseFileToOpen(const FileOpenRequest& request, std::string& path) {
  fileOpenRequests.push_back(request);
  if (m_filesToOpen.empty() || !m_filesToOpen.front()) {
    if (!m_filesToOpen.empty()) m_filesToOpen.pop_front();
    return false;
  }
  path = *m_filesToOpen.front();
  m_filesToOpen.pop_front();
  return true;
}
