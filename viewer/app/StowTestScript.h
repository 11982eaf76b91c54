// A control channel for tests: when VXST_STOW_SCRIPT names a file, its lines
// are carried out one after another once the window is shown. Each action
// waits for what it started (a page load, a snapshot, a script result):
//
//   wait                 until the first page load has finished
//   navigate URL         load URL
//   follow-link TEXT     click the first link whose address contains TEXT
//                        (none: the script goes on)
//   back | forward | home
//   open PATH            the open command with PATH chosen in its dialog
//   open-cancel          the open command with its dialog cancelled
//   about                the about box (answered at once)
//   report FILE          append uri=, home=, title=, loads= lines to FILE
//   images FILE          append images=LOADED/ALL of the page to FILE
//   placement FILE       append placement=SHOWCMD X1 Y1 X2 Y2 and window=X Y W H
//   screenshot FILE      the visible page as a PNG file
//   quit                 close the window as the user would
//   end-session          the session manager's SIGTERM at the end of the session
//
// Empty lines and lines starting with "#" are skipped; an unknown action is
// reported on standard error and skipped.
#pragma once

#include <deque>
#include <string>

#include "platform/WinTypes.h"

#include <webkit2/webkit2.h>

class CSwDocViewerApp;

class StowTestScript {
 public:
  static constexpr const char* kVariable = "VXST_STOW_SCRIPT";

  explicit StowTestScript(CSwDocViewerApp& app) : m_app(app) {}
  ~StowTestScript();
  StowTestScript(const StowTestScript&) = delete;
  StowTestScript& operator=(const StowTestScript&) = delete;

  // Reads the script at PATH and starts it from the main loop.
  void Start(const std::string& path);

 private:
  // Runs actions until one has to wait.
  void Continue();
  // Carries out LINE; false when the script must wait for it to complete.
  bool Perform(const std::string& action, const std::string& argument);
  // Waits for a load that finishes after this point.
  bool WaitForLoad();
  void OnLoadFinished();
  void Append(const std::string& file, const std::string& text);
  void WriteImages(const std::string& file);
  void WriteScreenshot(const std::string& file);
  void ScheduleContinue();

  static gboolean ContinueLater(gpointer self);
  static void OnLinkClicked(GObject* source, GAsyncResult* result, gpointer self);
  static void OnImagesCounted(GObject* source, GAsyncResult* result, gpointer self);
  static void OnSnapshot(GObject* source, GAsyncResult* result, gpointer self);

  CSwDocViewerApp& m_app;
  std::deque<std::string> m_lines;
  unsigned m_loadsBefore = 0;
  bool m_waitingForLoad = false;
  std::string m_pendingFile;
  guint m_idleSource = 0;
};
