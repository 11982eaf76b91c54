// Find in page: a bar under the tool bar with a search entry, previous and next
// buttons and the number of matches, over WebKit's find controller. Ctrl+F
// opens it (the frame's accelerator), Enter and the buttons move between the
// matches, Esc in the entry or its close button closes it and takes the
// highlight away.
#pragma once

#include <functional>
#include <string>

#include <webkit2/webkit2.h>

class FindBar {
 public:
  explicit FindBar(WebKitWebView* view);
  ~FindBar();
  FindBar(const FindBar&) = delete;
  FindBar& operator=(const FindBar&) = delete;

  GtkWidget* Widget() const { return m_bar; }

  // Shows the bar with the entry focused and its text selected.
  void Open();
  void Close();
  bool IsOpen() const;
  // Searches TEXT as if typed into the entry.
  void Find(const std::string& text);
  void Next();
  void Previous();
  // What the bar tells of the last search: "3 matches", "No matches" or "".
  std::string Status() const;

  // Called when a search has been answered (counted or failed).
  std::function<void()> onAnswered;

 private:
  void Search();
  void ShowStatus(const std::string& text);

  static void OnSearchChanged(GtkSearchEntry*, gpointer self);
  static void OnModeChanged(GObject*, GParamSpec*, gpointer self);
  static void OnCounted(WebKitFindController*, guint count, gpointer self);
  static void OnFailed(WebKitFindController*, gpointer self);

  WebKitFindController* m_controller;
  GtkWidget* m_bar;
  GtkWidget* m_entry;
  GtkWidget* m_status;
};
