// The viewer's frame window: menu, tool bar, the view and a status bar. It
// keeps its placement between runs through WindowStateSaver (section "MainWnd").
#pragma once

#include <string>

#include "viewer/WindowStateSaver.h"
#include "viewer/app/SwDocViewerView.h"

// What the frame's commands ask of the application.
class FrameCommands {
 public:
  virtual void OnFileOpen() = 0;
  virtual void OnAppAbout() = 0;

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

  // The window title for the document's title (the current URL; "Untitled"
  // when it is empty).
  void SetDocumentTitle(const std::string& documentTitle);

  // Applies the saved placement, if there is a complete one; before Show.
  void RestorePlacement();
  void Show();
  // Writes the current placement; false when it could not be written.
  bool SavePlacement() const;
  // The placement now: show state and the normal rectangle in work-area coordinates.
  WindowPlacement CurrentPlacement() const;
  // The work area of the screen the window is on.
  WindowRect WorkArea() const;

  // The view's printing, parented to the frame.
  void Print();
  // Saves the placement and closes the window, ending the program.
  void Close();

 private:
  GtkWidget* BuildMenuBar(GtkAccelGroup* accelerators);
  GtkWidget* BuildToolBar();
  void UpdateNavigationButtons();
  void RememberNormalRect();

  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnConfigure(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);

  CSwDocViewerView& m_view;
  FrameCommands& m_commands;
  WindowStateSaver m_stateSaver;
  GtkWidget* m_window;
  GtkWidget* m_statusBar = nullptr;
  GtkToolItem* m_backButton = nullptr;
  GtkToolItem* m_forwardButton = nullptr;
  GdkWindowState m_state = GdkWindowState(0);
  WindowRect m_normalRect;  // screen coordinates
  int m_placementFlags = 0;
  bool m_closed = false;
};
