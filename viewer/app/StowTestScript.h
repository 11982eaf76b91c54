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
//   click-link TEXT      click it and go on without waiting for a load
//   back | forward | home
//   open PATH            the open command with PATH chosen in its dialog
//   open-cancel          the open command with its dialog cancelled
//   drop PATH            PATH dropped on the window (as a file URI)
//   recent FILE          append recent=LABEL|PATH for each entry of the recent archives menu
//   open-recent N        choose the Nth entry (from 1) of that menu
//   key KEYS             press and release KEYS on the window ("ctrl+f", "alt+Left",
//                        "Escape", "BackSpace": modifiers and a GDK key name)
//   type TEXT            type TEXT into what has the keyboard focus
//   button N             press and release mouse button N over the view
//   focus-page           give the keyboard focus to the page
//   await-load           until a load that began after the last key or button has finished
//   find TEXT            search TEXT in the find bar, until it is answered
//   search-idle          until no index is waiting or being built for the search
//   search-all on|off    the search bar's "All archives" box
//   suggestions FILE     append suggestion=TEXT for each suggestion the search bar offers
//   choose-suggestion N  open the Nth suggestion (from 1)
//   eval FILE EXPR       append eval=the value of the JavaScript EXPR in the page
//   about                the about box
//   report FILE          append uri=, home=, title=, loads=, zoom=, find= (the find
//                        bar "shown" or "hidden" and its status) and search= (the search
//                        entry "focused" or not, searching "all" archives or the "shown"
//                        one) lines to FILE
//   page FILE            append page=TITLE of the page shown
//   images FILE          append images=LOADED/ALL of the page to FILE
//   placement FILE       append placement=SHOWCMD X1 Y1 X2 Y2 and window=X Y W H
//   screenshot FILE      the visible page as a PNG file
//   window-screenshot FILE  the whole window (menus, bars, page) as it is on the screen
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
  // Waits until more than LOADS loads have finished (true: they have already).
  bool WaitForLoadSince(unsigned loads);
  void OnLoadFinished();
  void Append(const std::string& file, const std::string& text);
  // Appends KEY=the value of EXPRESSION in the page to FILE.
  void WriteEvaluated(const std::string& file, const std::string& key, const char* expression);
  void WriteScreenshot(const std::string& file);
  void WriteWindowScreenshot(const std::string& file);
  void ScheduleContinue();
  // Goes on once the events sent so far have been handled.
  bool ContinueAfterEvents();
  void PressKeys(const std::string& keys);
  void TypeText(const std::string& text);
  void ClickButton(guint button);
  void WriteRecent(const std::string& file);
  void OpenRecent(const std::string& number);
  void OnFindAnswered();

  static gboolean ContinueLater(gpointer self);
  static gboolean ContinueAfterDelay(gpointer self);
  static void OnLinkClicked(GObject* source, GAsyncResult* result, gpointer self);
  static void OnEvaluated(GObject* source, GAsyncResult* result, gpointer self);
  static void OnSnapshot(GObject* source, GAsyncResult* result, gpointer self);

  CSwDocViewerApp& m_app;
  std::deque<std::string> m_lines;
  unsigned m_loadsBefore = 0;
  bool m_waitingForLoad = false;
  bool m_waitingForFind = false;
  bool m_clickOnly = false;
  unsigned m_loadsBeforeInput = 0;
  std::string m_pendingFile;
  std::string m_pendingKey;
  std::string m_pendingExpression;
  DialogAnswers m_dialogs;
  guint m_idleSource = 0;
  guint m_delaySource = 0;
};
