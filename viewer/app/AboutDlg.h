// The about box (dialog 100): the product's name and version and an OK button.
#pragma once

#include "platform/WinTypes.h"

#include <gtk/gtk.h>

class CAboutDlg {
 public:
  static constexpr unsigned IDD = 100;
  static constexpr const char* kCaption = "Stowra Reader";
  static constexpr const char* kProductText = "Stowra Archive Viewer";
  static constexpr const char* kVersionText = "Version 4.11Beta (Level 5) of 2004-May-27 (Build 1)";

  // Shows the box modally over PARENT until OK.
  static void DoModal(GtkWindow* parent);
};
