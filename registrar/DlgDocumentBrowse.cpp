#include "registrar/DlgDocumentBrowse.h"

#include <algorithm>
#include <ctime>
#include <memory>

#include "base/KelApp.h"
#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "catalog/DocumentProfiling.h"
#include "platform/CaseFold.h"
#include "platform/UserInterface.h"
#include "registrar/BrowseDialogFrontEnd.h"
#include "registrar/CatalogFailure.h"
#include "registrar/RegistrarTexts.h"

namespace {

// Reports E as the application frame reports what reaches its main loop.
// The codes of an entry whose "Doc" value is missing or no text.
constexpr std::uint32_t kEntryWithoutPath = 1141;
constexpr std::uint32_t kEntryWithBadPath = 1142;

void ReportThroughFrame(CKelException* e) {
  if (CKelApp* frame = CKelApp::GetFrame()) {
    frame->ReportException(e);
    return;
  }
  CKelErrorMessage messages;
  messages.Report(e);
}

}  // namespace

DlgDocumentBrowse::DlgDocumentBrowse(stow::DocumentProfiling& catalog, Opener opener)
    : CDialog(IDD), m_catalog(catalog), m_opener(std::move(opener)) {}

BOOL DlgDocumentBrowse::OnInitDialog() {
  m_entries.clear();
  m_selected = -1;
  m_showCurrentUser = m_showAllUsers = true;
  m_currentUserEnabled = m_allUsersEnabled = true;
  Fill();
  Sort();
  List(0);
  return CDialog::OnInitDialog();
}

void DlgDocumentBrowse::Fill() {
  if (!ReadPlacement(false)) m_showCurrentUser = m_currentUserEnabled = false;
  if (!ReadPlacement(true)) m_showAllUsers = m_allUsersEnabled = false;
}

bool DlgDocumentBrowse::ReadPlacement(bool allUsers) {
  const stow::Placement placement = allUsers ? stow::Placement::AllUsers : stow::Placement::CurrentUser;
  const int root = allUsers ? CKelProfiling::kLocalMachine : CKelProfiling::kCurrentUser;
  bool damaged = false;
  try {
    for (const std::string& name : m_catalog.ListArchiveNames(placement)) {
      if (!m_catalog.OpenArchiveKey(name, root, CKelProfiling::kReadWriteElseRead)) continue;
      for (const std::uint32_t firmCode : m_catalog.ListFirmCodes()) {
        if (!ReadEntry(firmCode, damaged)) continue;
        Entry entry;
        entry.archiveName = name;
        entry.firmCode = firmCode;
        entry.path = m_catalog.GetEntryPath();
        entry.allUsers = allUsers;
        m_entries.push_back(std::move(entry));
      }
    }
  } catch (CKelException* e) {
    // The catalog itself cannot be read: told as such, not as an empty list.
    const std::unique_ptr<CKelException> owned(e);
    m_catalog.Close();
    registrar::NameCatalogFile(*e, placement);
    ReportThroughFrame(e);
    return false;
  }
  if (damaged) MessageBoxA(registrar::kCatalogErrors, registrar::kTitle, MB_OK | MB_ICONEXCLAMATION);
  return true;
}

bool DlgDocumentBrowse::ReadEntry(std::uint32_t firmCode, bool& damaged) {
  try {
    return m_catalog.ReadEntry(firmCode);
  } catch (CKelException* e) {
    // An entry without a readable path hides itself only; the tidy removes it.
    if (e->m_code != kEntryWithoutPath && e->m_code != kEntryWithBadPath) throw;
    e->Delete();
    damaged = true;
    return false;
  }
}

void DlgDocumentBrowse::Sort() {
  std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
    const std::string foldedA = FoldCase(a.archiveName);
    const std::string foldedB = FoldCase(b.archiveName);
    if (foldedA != foldedB) return foldedA < foldedB;
    if (a.firmCode != b.firmCode) return a.firmCode < b.firmCode;
    return !a.allUsers && b.allUsers;
  });
}

void DlgDocumentBrowse::OnCheckBox(int id, bool checked) {
  if (!IsEnabled(id)) return;
  (id == kCurrentUserBox ? m_showCurrentUser : m_showAllUsers) = checked;
  List(id);
}

void DlgDocumentBrowse::List(int changedBox) {
  if (!m_showCurrentUser && !m_showAllUsers) {
    if (changedBox == kCurrentUserBox) {
      m_showAllUsers = m_allUsersEnabled;
    } else {
      m_showCurrentUser = m_currentUserEnabled;
    }
  }
  int index = 0;
  for (Entry& entry : m_entries) {
    const bool shown = entry.allUsers ? m_showAllUsers : m_showCurrentUser;
    entry.listIndex = shown ? index++ : -1;
  }
  KeepSelection();
  Refresh();
}

void DlgDocumentBrowse::KeepSelection() {
  const int count = static_cast<int>(m_entries.size());
  auto listed = [&](int i) { return m_entries[static_cast<std::size_t>(i)].listIndex >= 0; };
  if (m_selected < 0) {
    for (int i = 0; i < count && m_selected < 0; ++i) {
      if (listed(i)) m_selected = i;
    }
    return;
  }
  if (listed(m_selected)) return;
  for (int i = m_selected - 1; i >= 0; --i) {
    if (listed(i)) {
      m_selected = i;
      return;
    }
  }
  for (int i = m_selected + 1; i < count; ++i) {
    if (listed(i)) {
      m_selected = i;
      return;
    }
  }
  m_selected = -1;
}

void DlgDocumentBrowse::OnSelectionChange(int listIndex) {
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    if (listIndex >= 0 && m_entries[i].listIndex == listIndex) m_selected = static_cast<int>(i);
  }
  Refresh();
}

std::vector<std::string> DlgDocumentBrowse::GetListTexts() const {
  std::vector<std::string> texts;
  for (const Entry& entry : m_entries) {
    if (entry.listIndex >= 0) texts.push_back(entry.archiveName);
  }
  return texts;
}

int DlgDocumentBrowse::GetListSelection() const {
  return m_selected >= 0 ? m_entries[static_cast<std::size_t>(m_selected)].listIndex : -1;
}

void DlgDocumentBrowse::Refresh() {
  m_description = {};
  if (m_selected < 0) return;
  Entry& entry = m_entries[static_cast<std::size_t>(m_selected)];
  if (!entry.detailsLoaded) LoadDetails(entry);
  m_description.title = entry.title;
  m_description.copyright = entry.copyright;
  m_description.path = entry.path;
  if (entry.firmCode != 0xFFFFFFFF) m_description.firmCode = std::to_string(entry.firmCode);
  m_description.buildDate = FormatBuildDate(entry.buildDate);
}

void DlgDocumentBrowse::LoadDetails(Entry& entry) {
  entry.detailsLoaded = true;
  try {
    stow::VxbFile document;
    document.Open(entry.path);
    entry.title = document.GetTitle();
    entry.copyright = document.GetCopyright();
    entry.buildDate = document.GetCreationTime();
  } catch (CKelException* e) {
    // A file that cannot be opened leaves the details empty.
    e->Delete();
  }
}

std::string DlgDocumentBrowse::FormatBuildDate(const stow::ArchiveTime& time) {
  if (time.year == 0) return {};
  std::tm parts{};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month > 0 ? time.month - 1 : 0;
  parts.tm_mday = time.day > 0 ? time.day : 1;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_wday = time.dayOfWeek;
  char text[128];
  const std::size_t length = std::strftime(text, sizeof text, "%x, %H:%M", &parts);
  return std::string(text, length);
}

void DlgDocumentBrowse::OnOK() {
  if (m_selected < 0) return;
  const Entry& entry = m_entries[static_cast<std::size_t>(m_selected)];
  try {
    m_opener({entry.archiveName, entry.firmCode, entry.path});
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> owned(e);
    ReportThroughFrame(e);
    return;
  }
  CDialog::OnOK();
}

int DlgDocumentBrowse::DoModal(BrowseDialogFrontEnd& frontEnd) {
  OnInitDialog();
  frontEnd.RunBrowseDialog(*this);
  if (!IsEnded()) EndDialog(IDCANCEL);
  return GetResult();
}
