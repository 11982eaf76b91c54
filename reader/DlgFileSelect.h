// The dialog that asks for the right file of an archive that could not be
// opened (dialog 203). Its steps: OnInitDialog fills the texts and decides
// whether the catalog may be corrected; the user edits the path (SetFilePath),
// may browse for it (OnFind) and tick the check box (SetUpdateRegistry); OnOK
// checks the file (CheckFile), corrects the catalog when asked
// (ApplyToCatalog) and ends the dialog, or shows why the file is wrong and stays
// open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Dialog.h"
#include "reader/ReaderDialogs.h"

namespace stow {
class DocumentProfiling;
}

// A message the dialog shows in a message box.
struct DialogMessage {
  std::string text;
  DWORD style = MB_OK;
  DWORD helpContext = 0;
};

class DlgFileSelect : public CDialog {
 public:
  static constexpr unsigned IDD = 203;
  static constexpr int kFindButton = 4;
  static constexpr std::string_view kCaption = "Document File not found";
  static constexpr std::string_view kFileText = "File: %1";
  static constexpr std::string_view kDocumentText = "Document: %1";
  static constexpr std::string_view kPromptText = "Please &enter a correct file path:";
  static constexpr std::string_view kUpdateRegistryText = "&Update Registry with valid file";
  static constexpr std::string_view kFindText = "&Find...";
  static constexpr std::string_view kOpenTitle = "Select Stowra Document File";
  static constexpr std::string_view kOpenFilter = "VEXOBIFF Files (*.vxb)|*.vxb|All Files (*)|*||";
  static constexpr std::string_view kDefaultExtension = ".vxb";
  // The firm code of an archive given without one.
  static constexpr std::uint32_t kNoFirmCode = 0xFFFFFFFF;

  // PATH: the file that failed. ARCHIVENAME: the name the URL gave (empty for an
  // archive given by path); FIRMCODE: the firm code it resolved to. CATALOG must
  // outlive the dialog; only its entry for the name and firm code is written.
  DlgFileSelect(std::string path, std::string archiveName, std::uint32_t firmCode,
                stow::DocumentProfiling& catalog);

  BOOL OnInitDialog() override;
  // Find: the file-open dialog of FRONTEND, starting at the path entered when
  // that names a file or folder; a chosen file replaces the path.
  void OnFind(ReaderDialogFrontEnd& frontEnd);
  // Checks the file; when it is wrong, shows why in a message box and stays
  // open; else corrects the catalog when asked and ends with IDOK.
  void OnOK() override;

  // The steps of OnFind and OnOK, for front-ends that run them themselves.
  FileOpenRequest GetFindRequest() const;
  // Makes the path entered full and opens it as an archive: why it is wrong, or
  // nothing when it is right (the path entered is then full).
  std::optional<DialogMessage> CheckFile();
  // Writes the path into the archive's catalog entry when the check box is set
  // (and may be). A registry failure is raised.
  void ApplyToCatalog();

  // Runs the dialog modally through FRONTEND: IDOK or IDCANCEL.
  int DoModal(ReaderDialogFrontEnd& frontEnd);

  const std::string& GetFilePath() const { return m_filePath; }
  void SetFilePath(std::string path) { m_filePath = std::move(path); }
  bool GetUpdateRegistry() const { return m_updateRegistry; }
  // Ignored while the check box is disabled.
  void SetUpdateRegistry(bool update) { m_updateRegistry = update && m_updateRegistryEnabled; }
  bool IsUpdateRegistryEnabled() const { return m_updateRegistryEnabled; }
  // The two lines above the edit field ("File: ...", "Document: ..." or empty).
  const std::string& GetFileLine() const { return m_fileLine; }
  const std::string& GetDocumentLine() const { return m_documentLine; }

 private:
  // Positions the catalog on the entry of the archive name and firm code;
  // false when there is none.
  bool PositionOnEntry();
  std::optional<DialogMessage> CheckArchive(const std::string& path) const;

  std::string m_filePath;  // the edit field
  bool m_updateRegistry = false;
  std::string m_archiveName;
  std::uint32_t m_firmCode;
  stow::DocumentProfiling& m_catalog;

  std::string m_failingPath;
  std::string m_fileLine;
  std::string m_documentLine;
  bool m_updateRegistryEnabled = false;
};
