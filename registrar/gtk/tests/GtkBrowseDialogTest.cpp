// The list dialog in GTK: the widgets show the logic's state, and what the user
// does there (select, switch a box, Open, Close, double-click) reaches the logic.
#include "registrar/gtk/GtkBrowseDialog.h"

// The platform's headers before GTK's: GTK defines TRUE and FALSE as macros.
#include "base/KelException.h"
#include "base/messages/MessageTable.h"
#include "registrar/DlgDocumentBrowse.h"
#include "registrar/tests/RegistrarFixture.h"
#include "platform/gtk/tests/GtkTestSupport.h"

namespace registrar_tests {
namespace {

using D = DlgDocumentBrowse;
namespace names = browse_widgets;
using Texts = std::vector<std::string>;

GtkWidget* Named(GtkDialog* dialog, const char* name) {
  return FindNamedWidget(GTK_WIDGET(dialog), name);
}
GtkListBox* List(GtkDialog* dialog) { return GTK_LIST_BOX(Named(dialog, names::kList)); }

Texts ListTexts(GtkDialog* dialog) {
  Texts texts;
  GList* rows = gtk_container_get_children(GTK_CONTAINER(List(dialog)));
  for (GList* row = rows; row; row = row->next)
    texts.push_back(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(row->data)))));
  g_list_free(rows);
  return texts;
}

int SelectedRow(GtkDialog* dialog) {
  GtkListBoxRow* row = gtk_list_box_get_selected_row(List(dialog));
  return row ? gtk_list_box_row_get_index(row) : -1;
}

void Select(GtkDialog* dialog, int index) {
  gtk_list_box_select_row(List(dialog), gtk_list_box_get_row_at_index(List(dialog), index));
}

std::string Field(GtkDialog* dialog, const char* name) {
  GtkWidget* field = Named(dialog, name);
  return field ? gtk_entry_get_text(GTK_ENTRY(field)) : "<missing>";
}

bool Checked(GtkDialog* dialog, const char* box) {
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Named(dialog, box)));
}
void Check(GtkDialog* dialog, const char* box, bool on) {
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Named(dialog, box)), on);
}

bool OpenEnabled(GtkDialog* dialog) {
  return gtk_widget_get_sensitive(gtk_dialog_get_widget_for_response(dialog, IDOK));
}

class GtkBrowseDialogTest : public RegistrarTest {
 protected:
  void SetUp() override {
    RegistrarTest::SetUp();
    InstallMessageTable();
    SetMessageBoxFrontEnd(&m_boxes);
  }
  void TearDown() override {
    SetMessageBoxFrontEnd(nullptr);
    RegistrarTest::TearDown();
  }
  // Runs the list dialog through the GTK front-end: IDOK or IDCANCEL.
  int RunDialog() {
    D dialog(m_catalog, [this](const registrar::OpenRequest& request) {
      m_opened.push_back(request);
      if (m_failure) CKelException::Throw(m_failure, request.path);
    });
    GtkBrowseDialog frontEnd;
    return dialog.DoModal(frontEnd);
  }

  ScriptedMessageBoxes m_boxes;
  stow::DocumentProfiling m_catalog{ThisApp::kDescriptor};
  std::vector<registrar::OpenRequest> m_opened;
  std::uint32_t m_failure = 0;
};

TEST_F(GtkBrowseDialogTest, ShowsTheLogicsStateAndPassesSelectionBoxOpenAndDoubleClick) {
  REQUIRE_GTK();
  const std::string alpha = MakeArchive("a.vxb", "Alpha", 12, "Alpha Guide", "(c) A");
  Register(alpha);
  const std::string beta = MakeArchive("b.vxb", "Beta", 4, "Beta Book");
  Register(beta, Placement::AllUsers);
  GList* before = gtk_window_list_toplevels();
  const guint windows = g_list_length(before);
  g_list_free(before);
  ScriptedUser user;
  user.Then([&](GtkDialog* dialog) {
    EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(dialog)), std::string(D::kCaption));
    EXPECT_EQ(ListTexts(dialog), (Texts{"Alpha", "Beta"}));
    EXPECT_EQ(SelectedRow(dialog), 0);
    EXPECT_TRUE(Checked(dialog, names::kCurrentUser));
    EXPECT_TRUE(Checked(dialog, names::kAllUsers));
    EXPECT_EQ((Texts{Field(dialog, names::kTitle), Field(dialog, names::kCopyright),
                     Field(dialog, names::kPath), Field(dialog, names::kFirmCode)}),
              (Texts{"Alpha Guide", "(c) A", alpha, "12"}));
    EXPECT_FALSE(Field(dialog, names::kBuildDate).empty());
    EXPECT_TRUE(OpenEnabled(dialog));
    Select(dialog, 1);
    EXPECT_EQ(Field(dialog, names::kTitle), "Beta Book");
    EXPECT_EQ(Field(dialog, names::kFirmCode), "4");
    Check(dialog, names::kCurrentUser, false);  // the selection stays on Beta
    EXPECT_EQ(ListTexts(dialog), (Texts{"Beta"}));
    EXPECT_EQ(SelectedRow(dialog), 0);
    EXPECT_EQ(Field(dialog, names::kPath), beta);
    return IDOK;
  });
  EXPECT_EQ(RunDialog(), IDOK);
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0].archiveName, "Beta");
  EXPECT_EQ(m_opened[0].firmCode, 4u);
  EXPECT_EQ(m_opened[0].path, beta);
  EXPECT_EQ(user.unexpected, 0);
  EXPECT_EQ(user.dialogs, 1);
  GList* after = gtk_window_list_toplevels();  // the window is destroyed after the run
  EXPECT_EQ(g_list_length(after), windows);
  g_list_free(after);

  ScriptedUser clicker;  // a double-click opens the row it hits
  clicker.Then([](GtkDialog* dialog) {
    Check(dialog, names::kCurrentUser, true);
    Select(dialog, 0);
    Select(dialog, 1);
    g_signal_emit_by_name(gtk_list_box_get_row_at_index(List(dialog), 1), "activate");
    return GTK_RESPONSE_NONE;
  });
  EXPECT_EQ(RunDialog(), IDOK);
  ASSERT_EQ(m_opened.size(), 2u);
  EXPECT_EQ(m_opened[1].archiveName, "Beta");
}

TEST_F(GtkBrowseDialogTest, AFailedOpenIsReportedTheDialogStaysAndTheLastBoxCannotBeUnchecked) {
  REQUIRE_GTK();
  const std::string beta = MakeArchive("b.vxb", "Beta");
  Register(beta, Placement::AllUsers);
  m_failure = 1001;
  ScriptedUser user;
  user.Then([](GtkDialog*) { return IDOK; });
  user.Then([&](GtkDialog* dialog) {
    EXPECT_EQ(ListTexts(dialog), (Texts{"Beta"}));
    // Unchecking the last checked box checks the other: nothing listed, Open disabled.
    Check(dialog, names::kAllUsers, false);
    EXPECT_TRUE(Checked(dialog, names::kCurrentUser));
    EXPECT_FALSE(Checked(dialog, names::kAllUsers));
    EXPECT_TRUE(ListTexts(dialog).empty());
    EXPECT_EQ(Field(dialog, names::kPath), "");
    EXPECT_FALSE(OpenEnabled(dialog));
    return IDOK;  // no selection: nothing to open, the dialog closes
  });
  EXPECT_EQ(RunDialog(), IDCANCEL);
  EXPECT_EQ(m_opened.size(), 1u);
  ASSERT_EQ(m_boxes.shown().size(), 1u);
  EXPECT_NE(m_boxes.shown()[0].text.find(beta), std::string::npos) << m_boxes.shown()[0].text;
  EXPECT_EQ(user.dialogs, 2);
}

}  // namespace
}  // namespace registrar_tests
