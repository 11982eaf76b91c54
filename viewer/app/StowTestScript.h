// A control channel for tests: when VXST_STOW_SCRIPT names a file, its lines
// are carried out one after another once the window is shown. Each action
// waits for what it started (a page load, a snapshot, a script result).
// Modal dialogs (message boxes, the reader's dialogs, the about box) are
// answered with their default button from the start of the program on, and
// logged when the script names a log; the script's "dialogs" and "answer"
// lines (DialogAnswers) are taken at start, before any dialog.
//
//   wait                 until the first page load has finished
//   navigate URL         load URL
//   follow-link TEXT     click the first link whose address contains TEXT
//                        (none: the script goes on)
//   back | forward | home
//   open PATH            the open command with PATH chosen in its dialog
//   open-cancel          the open command with its dialog cancelled
//   about                the about box
//   report FILE          append uri=, home=, title=, loads= lines to FILE
//   page FILE            append page=TITLE of the page shown
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
#include "platform/gtk/DialogAnswers.h"

#include <webkit2/webkit2.h>

class CSwDocViewerApp;

class StowTestScript {
 public:
  static constexpr const char* kVariable = "VXST_STOW_SCRIPT";

  explicit StowTestScript(CSwDocViewerApp& app) : m_app(app) {}
  ~StowTestScript();
  StowTestScript(const StowTestScript&) = delete;
  StowTestScript& operator=(const StowTestScript&) = delete;

  // Reads the script at PATH and answers dialogs from now on.
  void Load(const std::string& path);
  // Starts the actions from the main loop, once the window is there.
  void Start();

 private:
  // Runs actions until one has to wait.
  void Continue();
  // Carries out LINE; false when the script must wait for it to complete.
  bool Perform(const std::string& action, const std::string& argument);
  // Waits for a load that finishes after this point.
  bool WaitForLoad();
  void OnLoadFinished();
  void Append(const std::string& file, const std::string& text);
  // Appends KEY=the value of EXPRESSION in the page to FILE.
  void WriteEvaluated(const std::string& file, const std::string& key, const char* expression);
  void WriteScreenshot(const std::string& file);
  void ScheduleContinue();

  static gboolean ContinueLater(gpointer self);
  static void OnLinkClicked(GObject* source, GAsyncResult* result, gpointer self);
  static void OnEvaluated(GObject* source, GAsyncResult* result, gpointer self);
  static void OnSnapshot(GObject* source, GAsyncResult* result, gpointer self);

  CSwDocViewerApp& m_app;
  std::deque<std::string> m_lines;
  unsigned m_loadsBefore = 0;
  bool m_waitingForLoad = false;
  std::string m_pendingFile;
  std::string m_pendingKey;
  DialogAnswers m_dialogs;
  guint m_idleSource = 0;
};
