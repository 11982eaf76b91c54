#include "reader/DlgFileSelect.h"

#include <cerrno>
#include <memory>

#include "archive/VxbFile.h"
#include "base/KelErrorMessage.h"
#include "base/KelFile.h"
#include "base/MessageText.h"
#include "catalog/DocumentProfiling.h"
#include "platform/CaseFold.h"

namespace {

// The caption of the dialog's message boxes: the program's name, as on the
// boxes of the foundation's error reporter.
const char* MessageCaption() { return program_invocation_short_name; }

// The foundation's composed message of FAILURE, with the icon its severity calls for.
DialogMessage ComposedMessage(CKelException& failure) {
  CKelErrorMessage messages;
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly;
  std::string text = messages.Report(&failure);
  return {std::move(text), DWORD{messages.m_severity >= 1 ? MB_ICONSTOP : MB_ICONEXCLAMATION},
          messages.m_code};
}

DialogMessage Warning(std::string text) { return {std::move(text), MB_OK | MB_ICONEXCLAMATION, 0}; }

}  // namespace

DlgFileSelect::DlgFileSelect(std::string path, std::string archiveName, std::uint32_t firmCode,
                             stow::DocumentProfiling& catalog)
    : CDialog(IDD),
      m_filePath(path),
      m_archiveName(std::move(archiveName)),
      m_firmCode(firmCode),
      m_catalog(catalog),
      m_failingPath(std::move(path)) {}

BOOL DlgFileSelect::OnInitDialog() {
  CDialog::OnInitDialog();
  m_filePath = m_failingPath;
  m_updateRegistry = false;
  m_fileLine = SubstitutePlaceholders(std::string(kFileText), &m_failingPath, 1);
  m_documentLine =
      m_archiveName.empty() ? std::string() : SubstitutePlaceholders(std::string(kDocumentText), &m_archiveName, 1);
  m_updateRegistryEnabled = false;
  if (PositionOnEntry()) {
    try {
      m_updateRegistryEnabled = m_catalog.CanUpdateEntry();
    } catch (CKelException* failure) {
      failure->Delete();
    }
  }
  return TRUE;
}

// The entry is looked up afresh, as name resolution looks it up (the current
// user's first), so that only the entry of this archive can ever be written,
// whatever the catalog did since.
bool DlgFileSelect::PositionOnEntry() {
  if (m_archiveName.empty() || m_firmCode == kNoFirmCode) return false;
  try {
    return m_catalog.OpenArchiveKey(m_archiveName, CKelProfiling::kUserThenMachine,
                                    CKelProfiling::kReadWriteElseRead) &&
           m_catalog.ReadEntry(m_firmCode);
  } catch (CKelException* failure) {  // an entry without a readable path
    failure->Delete();
    return false;
  }
}

FileOpenRequest DlgFileSelect::GetFindRequest() const {
  const CKelFile entered(m_filePath);
  const bool exists = !m_filePath.empty() && (entered.Exists() || entered.FolderExists());
  return {std::string(kOpenTitle), std::string(kOpenFilter), std::string(kDefaultExtension),
          exists ? m_filePath : std::string()};
}

void DlgFileSelect::OnFind(ReaderDialogFrontEnd& frontEnd) {
  std::string chosen;
  if (frontEnd.ChooseFileToOpen(GetFindRequest(), chosen)) m_filePath = std::move(chosen);
}

std::optional<DialogMessage> DlgFileSelect::CheckFile() {
  CKelFile file(m_filePath);
  file.MakeFullPath();
  std::optional<DialogMessage> problem = CheckArchive(file.GetPath());
  if (!problem) m_filePath = file.GetPath();
  return problem;
}

std::optional<DialogMessage> DlgFileSelect::CheckArchive(const std::string& path) const {
  ThisVxbFile archive;  // closed when it goes, whatever the outcome
  archive.SetPath(path);
  try {
    archive.OpenArchive();
  } catch (CKelException* failure) {
    const std::unique_ptr<CKelException> owned(failure);
    return ComposedMessage(*failure);
  }
  if (m_archiveName.empty()) return std::nullopt;
  if (!EqualNoCase(archive.GetArchiveName(), m_archiveName))
    return Warning("Selected File has name \"" + archive.GetArchiveName() + "\" instead of \"" +
                   m_archiveName + "\".");
  // A name given without firm code (a file URL that also names the archive)
  // expects none in particular.
  if (m_firmCode != kNoFirmCode && archive.GetFirmCode() != m_firmCode)
    return Warning("Selected File has Firm Code " + std::to_string(archive.GetFirmCode()) +
                   " instead of " + std::to_string(m_firmCode) + ".");
  return std::nullopt;
}

void DlgFileSelect::ApplyToCatalog() {
  if (m_updateRegistry && m_updateRegistryEnabled && PositionOnEntry())
    m_catalog.UpdateEntryPath(m_filePath);
}

void DlgFileSelect::OnOK() {
  if (const std::optional<DialogMessage> problem = CheckFile()) {
    MessageBoxA(problem->text.c_str(), MessageCaption(), problem->style, problem->helpContext);
    return;
  }
  ApplyToCatalog();
  CDialog::OnOK();
}

int DlgFileSelect::DoModal(ReaderDialogFrontEnd& frontEnd) {
  OnInitDialog();
  while (!IsEnded()) {
    switch (frontEnd.WaitForFileSelectButton(*this)) {
      case IDOK: OnOK(); break;
      case kFindButton: OnFind(frontEnd); break;
      default: OnCancel(); break;
    }
  }
  return GetResult();
}
