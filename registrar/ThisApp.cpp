#include "registrar/ThisApp.h"

#include <cerrno>
#include <memory>

#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "base/messages/MessageTable.h"
#include "platform/DriveType.h"
#include "platform/UserInterface.h"
#include "registrar/BrowseDialogFrontEnd.h"
#include "registrar/CatalogFailure.h"
#include "registrar/DlgDocumentBrowse.h"
#include "registrar/ShellSettings.h"
#include "registrar/ThisCmdParse.h"
#include "registrar/SearchIndexing.h"
#include "registrar/ThisFileTreeScan.h"

const KelAppDescriptor ThisApp::kDescriptor = {registrar::kTitle, "VK", "VEXO-KEY\\Stowra",
                                               "VEXO-SYSTEMS", 0x300};

namespace {

constexpr std::size_t kFileSpecCapacity = 200;

// The program's name as the help text shows it.
std::string ProgramName() { return program_invocation_short_name; }

}  // namespace

ThisApp::ThisApp() : CKelApp(&kDescriptor), m_catalog(kDescriptor) {
  m_fileSpecs.reserve(kFileSpecCapacity);
}

ThisApp::~ThisApp() = default;

bool ThisApp::InitInstance() {
  CKelApp::InitInstance();
  m_exitCode = RunCommandLine();
  return false;
}

int ThisApp::ExitInstance() {
  // The catalog's key is closed while the registry is still there: the
  // application object outlives the registry's process-wide state.
  m_catalog.Close();
  CKelApp::ExitInstance();
  return m_exitCode;
}

int ThisApp::RunCommandLine() {
  InstallMessageTable();
  auto* messages = new CKelErrorMessage(nullptr, 0, kDescriptor.codePrefix);
  messages->m_caption = registrar::kTitle;
  SetErrorMessage(messages);
  try {
    return Execute();
  } catch (CKelAbortException* e) {
    return ProcessMainLoopException(e);
  } catch (CException* e) {
    // Whatever ends the run early has failed, whatever the severity of its code.
    const int result = ProcessMainLoopException(e);
    return result > 0 ? result : kExitFailed;
  }
}

int ThisApp::Execute() {
  CKelCmdParse probe(GetCommandLine().c_str());
  const int server = probe.CheckServerSwitch();
  if (server != 2) return RunServerSwitch(server == 1);
  Parse();
  if (m_parseError != 0 || m_helpRequested) {
    ShowHelp(m_parseError == 0);
    return m_parseError == 0 ? kExitDone : kExitHelp;
  }
  if (m_nothingGiven) m_listDialog = true;
  RunCommands();
  // A run that was to scan files and found none has done nothing that was asked.
  const bool nothingFound = !m_fileSpecs.empty() && m_counters.filesScanned == 0;
  return m_counters.failures > 0 || nothingFound ? kExitFailed : kExitDone;
}

int ThisApp::RunServerSwitch(bool registerSettings) {
  const std::string module = ModuleFilePath();
  DWORD error = ERROR_SUCCESS;
  const bool done = registerSettings ? registrar::RegisterShellSettings(module, error)
                                     : registrar::UnregisterShellSettings(module, error);
  if (done) return kExitDone;
  // A refused registry is told, not passed over as success.
  CKelException failure(2000, registerSettings ? "the shell settings cannot be written (system error %1)"
                                               : "the shell settings cannot be removed (system error %1)",
                        std::to_string(error));
  GetErrorMessage()->Report(&failure);
  return kExitHelp;
}

void ThisApp::Parse() {
  CKelErrorMessage* messages = GetErrorMessage();
  const std::string savedLocation = messages->m_defaultLocation;
  messages->m_defaultLocation = "Command line";
  const std::string text = GetCommandLine();
  ThisCmdParse parser(*this, text.c_str());
  try {
    parser.ParseCommandLine();
  } catch (...) {
    messages->m_defaultLocation = savedLocation;
    throw;
  }
  messages->m_defaultLocation = savedLocation;
}

void ThisApp::ReportCommandLineError(CKelException* e) {
  if (m_parseError == 0) m_parseError = e->m_code;
  GetErrorMessage()->Report(e);
}

void ThisApp::AddFileGroups(CKelFileSpecList list, bool unregister) {
  if (list.baseFolder.empty() && list.entries.empty()) return;
  m_nothingGiven = false;
  if (m_placement == kUndecided) AskPlacement();
  m_fileSpecs.push_back({std::move(list), unregister, m_placement == kAllUsers});
}

void ThisApp::AskPlacement() {
  if (m_placement != kUndecided) return;
  if (m_parseError != 0 || !m_catalog.CanWriteAllUsers()) {
    m_placement = kCurrentUser;
    return;
  }
  switch (MessageBoxA(registrar::kAllUsersQuestion, registrar::kTitle, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: m_placement = kAllUsers; break;
    case IDNO: m_placement = kCurrentUser; break;
    default: CKelAbortException::Throw(kExitHelp);
  }
}

stow::Placement ThisApp::CurrentPlacement() const {
  return m_placement == kAllUsers ? stow::Placement::AllUsers : stow::Placement::CurrentUser;
}

void ThisApp::Tidy() {
  AskPlacement();
  unsigned removed = 0;
  try {
    removed = m_catalog.RemoveDeadEntries(
        CurrentPlacement(), [this](const std::string& path) { return ConfirmRemoval(path); });
  } catch (CKelException* e) {
    registrar::NameCatalogFile(*e, CurrentPlacement());
    throw;
  }
  if (m_outputLevel >= 1) ShowMessage(registrar::TidyResultText(removed), MB_OK | MB_ICONINFORMATION);
}

bool ThisApp::ConfirmRemoval(const std::string& path) {
  // A folder that is gone may be a medium that is not mounted now: ask.
  const bool folderThere = path.empty() || CKelFile(CKelFile(path).GetPart(12)).FolderExists();
  const unsigned driveType = folderThere ? GetDriveTypeOfPath(path) : DRIVE_NO_ROOT_DIR;
  const std::string question = registrar::TidyQuestion(path, driveType);
  if (question.empty()) return true;
  return MessageBoxA(question.c_str(), registrar::kTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void ThisApp::RunCommands() {
  ScanAll(true);
  ScanAll(false);
  if (!m_fileSpecs.empty()) ShowSummary();
  for (const registrar::OpenRequest& request : m_openRequests) {
    registrar::OpenDocument(request, *GetErrorMessage());
  }
  if (m_listDialog) ShowListDialog();
}

void ThisApp::ScanAll(bool unregister) {
  for (const FileSpecEntry& entry : m_fileSpecs) {
    if (entry.unregister != unregister) continue;
    ThisFileTreeScan scan(entry.unregister, entry.allUsers, kDescriptor, m_counters, *GetErrorMessage());
    scan.Run(entry.list);
    if (!unregister) registrar::BuildSearchIndexes(scan.Registered(), *GetErrorMessage());
  }
}

void ThisApp::ShowSummary() {
  if (m_outputLevel == 0) return;
  std::string text;
  if (m_counters.filesScanned > 0) {
    text = registrar::SummaryText(m_counters);
  } else if (m_fileSpecs.size() == 1 && m_fileSpecs[0].list.entries.size() == 1 &&
             !(m_fileSpecs[0].list.entries[0].kind & CKelFileSpecEntry::kWildcards)) {
    // One named file that is not there: name it.
    CKelFile file(m_fileSpecs[0].list.baseFolder);
    file.AppendName(m_fileSpecs[0].list.entries[0].text);
    text = registrar::FileNotFoundText(file.GetPath());
  } else {
    text = registrar::kNoFilesFound;
  }
  ShowMessage(text, MB_OK | MB_ICONINFORMATION);
}

void ThisApp::ShowListDialog() {
  DlgDocumentBrowse dialog(m_catalog, [this](const registrar::OpenRequest& request) {
    registrar::OpenDocument(request, *GetErrorMessage());
  });
  dialog.DoModal(CurrentBrowseDialogFrontEnd());
  // A placement whose catalog could not be read has its box disabled.
  for (const int box : {DlgDocumentBrowse::kCurrentUserBox, DlgDocumentBrowse::kAllUsersBox}) {
    if (!dialog.IsEnabled(box)) ++m_counters.failures;
  }
}

void ThisApp::ShowHelp(bool full) {
  ShowMessage(registrar::HelpText(ProgramName(), full), MB_OK | MB_ICONINFORMATION);
}

void ThisApp::ShowMessage(const std::string& text, DWORD style) {
  MessageBoxA(text.c_str(), registrar::kTitle, style);
}
