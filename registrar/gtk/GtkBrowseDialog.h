// The list dialog as a GTK dialog: the list of registered archives, the two
// placement check boxes, the description of the selected archive and the
// Open and Close buttons. Every action of the user goes to DlgDocumentBrowse,
// and the widgets are set again from it afterwards.
#pragma once

#include "registrar/BrowseDialogFrontEnd.h"

class GtkBrowseDialog : public BrowseDialogFrontEnd {
 public:
  void RunBrowseDialog(DlgDocumentBrowse& dialog) override;
};

// Widget names (gtk_widget_set_name), for tests that act as the user.
namespace browse_widgets {
inline constexpr const char* kList = "archives";
inline constexpr const char* kCurrentUser = "current-user";
inline constexpr const char* kAllUsers = "all-users";
inline constexpr const char* kTitle = "title";
inline constexpr const char* kCopyright = "copyright";
inline constexpr const char* kPath = "file-path";
inline constexpr const char* kFirmCode = "firm-code";
inline constexpr const char* kBuildDate = "build-date";
}  // namespace browse_widgets
