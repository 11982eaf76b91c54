// The viewer application: reads its command line, registers or unregisters
// the shell settings, or opens its window with the archive it was given.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppProfile.h"
#include "platform/Framework.h"
#include "platform/SharedLibrary.h"
#include "viewer/ViewerCommandLine.h"
#include "viewer/app/MainFrame.h"
#include "viewer/app/SchemeServer.h"
#include "viewer/app/SearchPageServer.h"
#include "platform/gtk/GtkMessageBoxes.h"
#include "viewer/gtk/GtkReaderDialogs.h"

class StowTestScript;

class CSwDocViewerApp : public CWinApp, public FrameCommands {
 public:
  static constexpr const char* kRegistryKey = "VEXO-SYSTEMS\\Stowra";
  static constexpr const char* kAppTitle = "stow";
  static constexpr const char* kOpenTitle = "Stowra Reader";
  static constexpr const char* kOpenFilter = "*.vxb";

  CSwDocViewerApp();
  ~CSwDocViewerApp() override;

  bool InitInstance() override;
  int Run() override;
  int ExitInstance() override;

  void OnFileOpen() override;
  void OnAppAbout() override;
  void OnOpenFile(const std::string& path) override;
  std::vector<RecentArchive> RecentArchives() override;
  // The open command after its dialog: PATH chosen, or nothing when cancelled.
  void OpenChosen(const std::optional<std::string>& path);
  // Hands URL to the desktop's opener (a browser, a mailer); a failure is shown.
  void OpenExternally(const std::string& url);

  CMainFrame* Frame() const { return m_frame.get(); }
  CSwDocViewerView* View() const { return m_view.get(); }
  SearchPageServer* SearchPages() const { return m_searchPages.get(); }

 private:
  // Registering and unregistering the shell settings; the exit code.
  int ApplyShellSettings(ViewerCommandLine::Action action);
  // Finds (or registers) the reader module and gives it the GTK front-ends.
  bool ConnectReaderModule();
  // The file of the archive NAME with FIRMCODE as the reader module resolves it, quietly.
  std::string FindArchive(const std::string& name, std::uint32_t firmCode);
  // Sets the current archive from ARGUMENT; a file opened is remembered as recent.
  bool SetCurrentArchive(const std::string& argument);
  void OpenWindow();
  // Connects the tool bar's search to the search pages.
  void ConnectSearch();
  // The archive shown, as searched without "All archives".
  SearchScope ShownScope() const;

  AppProfile m_profile;
  ViewerCommandLine m_commandLine;
  int m_exitCode = 0;
  GtkMessageBoxes m_messageBoxes;
  GtkReaderDialogs m_readerDialogs;
  std::string m_modulePath;
  SharedLibrary m_module;
  std::unique_ptr<SchemeServer> m_schemes;
  std::unique_ptr<SearchPageServer> m_searchPages;
  WebKitWebContext* m_webContext = nullptr;
  std::unique_ptr<CSwDocViewerView> m_view;
  std::unique_ptr<CMainFrame> m_frame;
  std::unique_ptr<StowTestScript> m_script;
  guint m_sessionEndSources[2] = {0, 0};
  bool m_sessionEnded = false;
};
