// The viewer's frame window: menu, tool bar (with the search entry), the find bar, the view and a
// status bar. It keeps its placement and the view's zoom between runs through
// WindowStateSaver (section "MainWnd"), and takes archive files dropped on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "viewer/WindowStateSaver.h"
#include "viewer/app/FindBar.h"
#include "viewer/app/SearchBar.h"
#include "viewer/app/SwDocViewerView.h"

// One entry of File > Recent archives.
struct RecentArchive {
  std::string label;
  std::string path;
  bool registered = false;  // from the catalog; else a file opened lately
};

// What the frame's commands ask of the application.
class FrameCommands {
 public:
  virtual void OnFileOpen() = 0;
  virtual void OnAppAbout() = 0;
  // Opens the archive file at PATH (a recent archive, a dropped file).
  virtual void OnOpenFile(const std::string& path) = 0;
  // The entries of the recent archives menu, files opened lately first.
  virtual std::vector<RecentArchive> RecentArchives() = 0;

 protected:
  ~FrameCommands() = default;
};

class CMainFrame {
 public:
  static constexpr const char* kTitle = "SwDocViewer";
  static constexpr const char* kPlacementSection = "MainWnd";

  CMainFrame(CSwDocViewerView& view, FrameCommands& commands, const AppProfile& profile);
  ~CMainFrame();
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  GtkWindow* Window() const { return GTK_WINDOW(m_window); }
  FindBar& Find() { return m_findBar; }
  SearchBar& Search() { return m_searchBar; }

  // The window title for the document's title (the current URL; "Untitled"
  // when it is empty).
  void SetDocumentTitle(const std::string& documentTitle);

  // Applies the saved placement, if there is a complete one, and the saved
  // zoom; before Show.
  void RestorePlacement();
  void Show();
  // Writes the current placement and zoom; false when they could not be written.
  bool SavePlacement() const;
  // The placement now: show state and the normal rectangle in work-area coordinates.
  WindowPlacement CurrentPlacement() const;
  // The work area of the screen the window is on.
  WindowRect WorkArea() const;

  void ZoomIn();
  void ZoomOut();
  void ZoomNormal();
  // The view's printing, parented to the frame.
  void Print();
  // Saves the placement and closes the window, ending the program.
  void Close();

  // The recent archives menu as it is now, rebuilt from the application's list.
  void RebuildRecentMenu();
  // Its entries that open an archive, in menu order.
  std::vector<GtkWidget*> RecentMenuItems() const;
  // Opens the files of a dropped URI list (text/uri-list): the first archive file.
  void DropUris(const std::vector<std::string>& uris);

 private:
  GtkWidget* BuildMenuBar(GtkAccelGroup* accelerators);
  GtkWidget* BuildToolBar();
  void UpdateNavigationButtons();
  void RememberNormalRect();

  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnConfigure(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
  static void OnDragDataReceived(GtkWidget*, GdkDragContext* context, gint, gint,
                                 GtkSelectionData* data, guint, guint time, gpointer self);
  static void OnRecentActivated(GtkMenuItem* item, gpointer self);

  CSwDocViewerView& m_view;
  FrameCommands& m_commands;
  WindowStateSaver m_stateSaver;
  GtkWidget* m_window;
  FindBar m_findBar;
  SearchBar m_searchBar;
  GtkWidget* m_statusBar = nullptr;
  GtkWidget* m_recentMenu = nullptr;
  GtkToolItem* m_backButton = nullptr;
  GtkToolItem* m_forwardButton = nullptr;
  GdkWindowState m_state = GdkWindowState(0);
  WindowRect m_normalRect;  // screen coordinates
  int m_placementFlags = 0;
  // False where the window system keeps a window's position to itself (Wayland).
  bool m_positionKnown = true;
  bool m_closed = false;
};
