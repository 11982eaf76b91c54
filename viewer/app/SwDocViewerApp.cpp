#include "viewer/app/SwDocViewerApp.h"

#include <glib-unix.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "base/KelApp.h"
#include "base/KelAppDescriptor.h"
#include "base/messages/MessageTable.h"
#include "catalog/CatalogListing.h"
#include "platform/Shell.h"
#include "reader/ReaderExports.h"
#include "reader/client/ModuleSetup.h"
#include "viewer/CurrentArchive.h"
#include "viewer/DocumentRegistration.h"
#include "viewer/RecentFileList.h"
#include "viewer/ShellSettings.h"
#include "viewer/ViewerErrors.h"
#include "viewer/app/AboutDlg.h"
#include "viewer/app/StowTestScript.h"

namespace {

// The end of the user's session (SIGTERM from the session manager, SIGHUP when
// the terminal goes): the window closes as when the user closes it, keeping its
// placement. The sources stay until the application removes them at its end.
gboolean OnSessionEnd(gpointer frame) {
  static_cast<CMainFrame*>(frame)->Close();
  return G_SOURCE_CONTINUE;
}

// The catalog is read as the reader module reads it; its key does not depend on the program.
const KelAppDescriptor kViewerDescriptor{"stow", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

const char* Environment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// Opens the display, or says once why there is none.
bool OpenDisplay() {
  const char* x11 = Environment("DISPLAY");
  const char* wayland = Environment("WAYLAND_DISPLAY");
  if (!x11 && !wayland) {
    std::fprintf(stderr,
                 "stow: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are "
                 "not set)\n");
    return false;
  }
  if (gtk_init_check(nullptr, nullptr)) return true;
  std::fprintf(stderr, "stow: the display %s cannot be opened\n", wayland ? wayland : x11);
  return false;
}

// "name.vxb - /folder" for the recent archives menu.
std::string FileLabel(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return path;
  return path.substr(slash + 1) + " - " + (slash == 0 ? "/" : path.substr(0, slash));
}

std::vector<std::string> Arguments() {
  const AfxProgramArgs& args = AfxGetProgramArgs();
  return args.argc > 1 ? std::vector<std::string>(args.argv + 1, args.argv + args.argc)
                       : std::vector<std::string>();
}

}  // namespace

CSwDocViewerApp::CSwDocViewerApp() : CWinApp(kAppTitle), m_profile(kRegistryKey, kAppTitle) {}

CSwDocViewerApp::~CSwDocViewerApp() = default;

bool CSwDocViewerApp::InitInstance() {
  InstallMessageTable();
  m_commandLine = ViewerCommandLine::Parse(Arguments());
  switch (m_commandLine.action) {
    case ViewerCommandLine::Action::Register:
    case ViewerCommandLine::Action::Unregister:
      m_exitCode = ApplyShellSettings(m_commandLine.action);
      return false;
    case ViewerCommandLine::Action::Automation:
      // No automation client can reach this program here: nothing to serve.
      return false;
    case ViewerCommandLine::Action::Help:
      std::fputs(ViewerCommandLine::kUsage, stdout);
      return false;
    case ViewerCommandLine::Action::BadOption:
      std::fprintf(stderr, "stow: unknown option %s\n%s", m_commandLine.badOption.c_str(),
                   ViewerCommandLine::kUsage);
      m_exitCode = 2;
      return false;
    case ViewerCommandLine::Action::Open: break;
  }
  if (!OpenDisplay()) {
    m_exitCode = 1;
    return false;
  }
  if (const char* script = std::getenv(StowTestScript::kVariable); script && *script) {
    m_script = std::make_unique<StowTestScript>(*this);
    m_script->Load(script);
  }
  // A window program talks to the user in windows, even when started from a
  // terminal; VXST_UI, when set, still chooses.
  setenv("VXST_UI", "gtk", 0);
  RegisterGraphicalMessageBoxes(&m_messageBoxes);
  RegisterGraphicalReaderDialogs(&m_readerDialogs);
  if (!ConnectReaderModule()) {
    m_exitCode = 1;
    return false;
  }
  SetCurrentArchive(m_commandLine.file);
  // As at every start of the framework's applications; a refused write changes nothing.
  RegisterDocumentType(CKelApp::ModuleFilePath());
  OpenWindow();
  return true;
}

int CSwDocViewerApp::ApplyShellSettings(ViewerCommandLine::Action action) {
  const std::string program = CKelApp::ModuleFilePath();
  const bool registering = action == ViewerCommandLine::Action::Register;
  LSTATUS status = registering ? RegisterViewerShellSettings(program) : UnregisterViewerShellSettings(program);
  if (status == ERROR_SUCCESS)
    status = registering ? RegisterDocumentType(program) : UnregisterDocumentType(program);
  if (status == ERROR_SUCCESS) return 0;
  std::fprintf(stderr, "stow: the shell settings could not be %s (registry error %u)\n",
               registering ? "written" : "removed", static_cast<unsigned>(status));
  return 1;
}

bool CSwDocViewerApp::ConnectReaderModule() {
  std::string error;
  m_modulePath = EnsureReaderModule(error);
  if (m_modulePath.empty() || m_module.Load(m_modulePath) != ERROR_SUCCESS) {
    if (error.empty()) error = m_module.LoadError();
    MessageBoxA(("The reader module cannot be used: " + error).c_str(), kViewerCaption,
                MB_OK | MB_ICONSTOP);
    return false;
  }
  if (auto connect = reinterpret_cast<decltype(&VxStRdRegisterGraphicalUserInterface)>(
          m_module.Symbol("VxStRdRegisterGraphicalUserInterface")))
    connect(&m_messageBoxes, &m_readerDialogs);
  return true;
}

void CSwDocViewerApp::OpenWindow() {
  m_webContext = webkit_web_context_new();
  m_schemes = std::make_unique<SchemeServer>(m_modulePath);
  m_schemes->Register(m_webContext);
  m_searchPages = std::make_unique<SearchPageServer>();
  m_searchPages->Register(m_webContext);
  m_view = std::make_unique<CSwDocViewerView>(
      m_webContext, [this](const std::string& name, std::uint32_t firmCode) {
        return FindArchive(name, firmCode);
      });
  m_view->onExternalLink = [this](const std::string& url) { OpenExternally(url); };
  m_view->onArchiveFile = [this](const std::string& path) { OnOpenFile(path); };
  m_frame = std::make_unique<CMainFrame>(*m_view, *this, m_profile);
  ConnectSearch();
  // A file given on the command line opens as an empty document titled with its URL.
  m_frame->SetDocumentTitle(CurrentArchive::Instance().GetUrl());
  m_view->OnInitialUpdate();
  m_frame->RestorePlacement();
  m_frame->Show();
  m_sessionEndSources[0] = g_unix_signal_add(SIGTERM, &OnSessionEnd, m_frame.get());
  m_sessionEndSources[1] = g_unix_signal_add(SIGHUP, &OnSessionEnd, m_frame.get());
  if (m_script) m_script->Start();
}

void CSwDocViewerApp::ConnectSearch() {
  SearchBar& bar = m_frame->Search();
  bar.onSearch = [this](const std::string& words, bool all) {
    m_view->Navigate(SearchPageServer::UrlOf(words, all ? SearchScope() : ShownScope()));
  };
  bar.onSuggest = [this](const std::string& text, bool all) {
    return m_searchPages->Suggest(text, all ? SearchScope() : ShownScope());
  };
  bar.onOpen = [this](const search::Suggestion& suggestion) {
    m_view->Navigate(SearchPageServer::TopicUrlOf(suggestion.archivePath, suggestion.path));
  };
}

SearchScope CSwDocViewerApp::ShownScope() const {
  const CurrentArchive& archive = CurrentArchive::Instance();
  SearchScope scope = SearchScope::OfHome(m_view->GetHomeUrl(), "");
  if (!scope.file.empty() && scope.file == archive.GetPath() && !archive.GetArchiveName().empty())
    scope.name = archive.GetArchiveName();
  return scope;
}

int CSwDocViewerApp::Run() {
  gtk_main();
  return ExitInstance();
}

int CSwDocViewerApp::ExitInstance() {
  for (guint& source : m_sessionEndSources) {
    if (source) g_source_remove(source);
    source = 0;
  }
  m_script.reset();
  m_frame.reset();
  m_view.reset();
  if (m_webContext) g_object_unref(m_webContext);
  m_webContext = nullptr;
  m_schemes.reset();
  m_searchPages.reset();
  if (m_module.IsLoaded()) {
    if (auto connect = reinterpret_cast<decltype(&VxStRdRegisterGraphicalUserInterface)>(
            m_module.Symbol("VxStRdRegisterGraphicalUserInterface")))
      connect(nullptr, nullptr);
  }
  RegisterGraphicalReaderDialogs(nullptr);
  RegisterGraphicalMessageBoxes(nullptr);
  return m_exitCode;
}

void CSwDocViewerApp::OnFileOpen() {
  std::string path;
  const FileOpenRequest request{kOpenTitle, kOpenFilter, "", ""};
  if (CurrentReaderDialogFrontEnd().ChooseFileToOpen(request, path))
    OpenChosen(path);
  else
    OpenChosen(std::nullopt);
}

void CSwDocViewerApp::OpenChosen(const std::optional<std::string>& path) {
  CurrentArchive& archive = CurrentArchive::Instance();
  if (path) SetCurrentArchive(*path);
  RunShowingErrors([&] { archive.Show(*m_view); });
  m_frame->SetDocumentTitle(archive.GetUrl());
}

void CSwDocViewerApp::OnOpenFile(const std::string& path) { OpenChosen(path); }

bool CSwDocViewerApp::SetCurrentArchive(const std::string& argument) {
  CurrentArchive& archive = CurrentArchive::Instance();
  const bool set = RunShowingErrors([&] { archive.Set(argument); });
  const RecentFileList recent(m_profile);
  if (set && archive.IsHandOverPending())
    recent.Add(archive.GetPath());
  else if (!set)
    recent.Remove(argument);  // a recent file that can no longer be opened
  return set;
}

std::vector<RecentArchive> CSwDocViewerApp::RecentArchives() {
  std::vector<RecentArchive> archives;
  for (const std::string& path : RecentFileList(m_profile).Read())
    archives.push_back({FileLabel(path), path, false});
  stow::DocumentProfiling catalog(kViewerDescriptor);
  for (const CatalogEntry& entry : ListCatalogEntries(catalog)) {
    const std::string firmCode =
        entry.firmCode == stow::kNoFirmCode ? "" : " (" + std::to_string(entry.firmCode) + ")";
    archives.push_back({entry.archiveName + firmCode + " - " + entry.path, entry.path, true});
  }
  return archives;
}

std::string CSwDocViewerApp::FindArchive(const std::string& name, std::uint32_t firmCode) {
  const auto find =
      reinterpret_cast<GetDocumentFileNameAProc>(m_module.Symbol("GetDocumentFileNameA"));
  if (!find) return "";
  const std::int32_t needed = find(name.c_str(), firmCode, nullptr, 0);
  if (needed <= 0) return "";
  std::string path(static_cast<std::size_t>(needed), '\0');
  const std::int32_t length = find(name.c_str(), firmCode, path.data(), needed);
  if (length <= 0 || length >= needed) return "";
  path.resize(static_cast<std::size_t>(length));
  return path;
}

void CSwDocViewerApp::OpenExternally(const std::string& url) {
  if (ShellOpen(url, SW_SHOWNORMAL) > 32) return;
  MessageBoxA(("No program could be started to open " + url).c_str(), kViewerCaption,
              MB_OK | MB_ICONEXCLAMATION);
}

void CSwDocViewerApp::OnAppAbout() { CAboutDlg::DoModal(m_frame->Window()); }
