// vxstreg on a desktop: its message boxes and its list dialog in GTK windows
// when the graphical user interface is the chosen one (VXST_UI=gtk, or no
// terminal at hand) and a display can be opened; the terminal front-ends
// otherwise.
//
// For tests, VXST_DIALOG_SCRIPT names a file of "dialogs FILE" and
// "answer N TITLE" lines (DialogAnswers): the GTK dialogs are then answered
// and logged in place of the user.
#pragma once

#include "platform/gtk/DialogAnswers.h"
#include "platform/gtk/GtkMessageBoxes.h"
#include "registrar/gtk/GtkBrowseDialog.h"

class DesktopFrontEnds {
 public:
  static constexpr const char* kScriptVariable = "VXST_DIALOG_SCRIPT";

  DesktopFrontEnds();
  ~DesktopFrontEnds();
  DesktopFrontEnds(const DesktopFrontEnds&) = delete;
  DesktopFrontEnds& operator=(const DesktopFrontEnds&) = delete;

  // Whether the GTK front-ends are in use.
  bool InUse() const { return m_inUse; }

 private:
  void LoadScript(const char* path);

  GtkMessageBoxes m_boxes;
  GtkBrowseDialog m_browse;
  DialogAnswers m_answers;
  bool m_inUse = false;
};
