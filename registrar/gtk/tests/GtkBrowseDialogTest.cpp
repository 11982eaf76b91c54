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

Texts ListTexts(GtkDialog* dialog) {
  Texts texts;
  GtkWidget* list = FindNamedWidget(GTK_WIDGET(dialog), names::kList);
  GList* rows = gtk_container_get_children(GTK_CONTAINER(list));
  for (GList* row = rows; row; row = row->next)
    texts.push_back(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(row->data)))));
  g_list_free(rows);
  return texts;
}

int SelectedRow(GtkDialog* dialog) {
  GtkWidget* list = FindNamedWidget(GTK_WIDGET(dialog), names::kList);
  GtkListBoxRow* row = gtk_list_box_get_selected_row(GTK_LIST_BOX(list));
  return row ? gtk_list_box_row_get_index(row) : -1;
}

GtkListBoxRow* Row(GtkDialog* dialog, int index) {
  GtkWidget* list = FindNamedWidget(GTK_WIDGET(dialog), names::kList);
  return gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), index);
}

void Select(GtkDialog* dialog, int index) {
  GtkWidget* list = FindNamedWidget(GTK_WIDGET(dialog), names::kList);
  gtk_list_box_select_row(GTK_LIST_BOX(list), Row(dialog, index));
}

std::string Field(GtkDialog* dialog, const char* name) {
  GtkWidget* field = FindNamedWidget(GTK_WIDGET(dialog), name);
  return field ? gtk_entry_get_text(GTK_ENTRY(field)) : "<missing>";
}

GtkToggleButton* Box(GtkDialog* dialog, const char* name) {
  return GTK_TOGGLE_BUTTON(FindNamedWidget(GTK_WIDGET(dialog), name));
}

bool OpenEnabled(GtkDialog* dialog) { return gtk_widget_get_sensitive(gtk_dialog_get_widget_for_response(dialog, IDOK)); }

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

TEST_F(GtkBrowseDialogTest, ShowsTheListBoxesAndDescription) {
  REQUIRE_GTK();
  const std::string alpha = MakeArchive("a.vxb", "Alpha", 12, "Alpha Guide", "(c) A");
  Register(alpha);
  Register(MakeArchive("b.vxb", "Beta", 4, "Beta Book"), Placement::AllUsers);
  GList* before = gtk_window_list_toplevels();
  const guint windows = g_list_length(before);
  g_list_free(before);
  ScriptedUser user;
  user.Then([&](GtkDialog* dialog) {
    EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(dialog)), std::string(D::kCaption));
    EXPECT_EQ(ListTexts(dialog), (Texts{"Alpha", "Beta"}));
    EXPECT_EQ(SelectedRow(dialog), 0);
    EXPECT_TRUE(gtk_toggle_button_get_active(Box(dialog, names::kCurrentUser)));
    EXPECT_TRUE(gtk_toggle_button_get_active(Box(dialog, names::kAllUsers)));
    EXPECT_EQ(Field(dialog, names::kTitle), "Alpha Guide");
    EXPECT_EQ(Field(dialog, names::kCopyright), "(c) A");
    EXPECT_EQ(Field(dialog, names::kPath), alpha);
    EXPECT_EQ(Field(dialog, names::kFirmCode), "12");
    EXPECT_FALSE(Field(dialog, names::kBuildDate).empty());
    EXPECT_TRUE(OpenEnabled(dialog));
    Select(dialog, 1);
    EXPECT_EQ(Field(dialog, names::kTitle), "Beta Book");
    EXPECT_EQ(Field(dialog, names::kFirmCode), "4");
    return IDCANCEL;
  });
  EXPECT_EQ(RunDialog(), IDCANCEL);
  EXPECT_TRUE(m_opened.empty());
  EXPECT_EQ(user.dialogs, 1);
  GList* after = gtk_window_list_toplevels();  // the window is destroyed after the run
  EXPECT_EQ(g_list_length(after), windows);
  g_list_free(after);
}

TEST_F(GtkBrowseDialogTest, SelectionBoxAndOpenReachTheLogic) {
  REQUIRE_GTK();
  Register(MakeArchive("a.vxb", "Alpha", 3));
  const std::string beta = MakeArchive("b.vxb", "Beta", 5);
  Register(beta, Placement::AllUsers);
  Register(MakeArchive("c.vxb", "Gamma", 9));
  ScriptedUser user;
  user.Then([&](GtkDialog* dialog) {
    Select(dialog, 1);
    gtk_toggle_button_set_active(Box(dialog, names::kCurrentUser), FALSE);
    EXPECT_EQ(ListTexts(dialog), (Texts{"Beta"}));
    EXPECT_EQ(SelectedRow(dialog), 0);
    EXPECT_EQ(Field(dialog, names::kPath), beta);
    return IDOK;
  });
  EXPECT_EQ(RunDialog(), IDOK);
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0].archiveName, "Beta");
  EXPECT_EQ(m_opened[0].firmCode, 5u);
  EXPECT_EQ(m_opened[0].path, beta);
  EXPECT_EQ(user.unexpected, 0);
}

TEST_F(GtkBrowseDialogTest, UncheckingTheLastBoxChecksTheOtherAndDisablesOpen) {
  REQUIRE_GTK();
  Register(MakeArchive("b.vxb", "Beta"), Placement::AllUsers);
  ScriptedUser user;
  user.Then([&](GtkDialog* dialog) {
    gtk_toggle_button_set_active(Box(dialog, names::kAllUsers), FALSE);
    EXPECT_TRUE(gtk_toggle_button_get_active(Box(dialog, names::kCurrentUser)));
    EXPECT_FALSE(gtk_toggle_button_get_active(Box(dialog, names::kAllUsers)));
    EXPECT_TRUE(ListTexts(dialog).empty());
    EXPECT_EQ(Field(dialog, names::kPath), "");
    EXPECT_FALSE(OpenEnabled(dialog));
    return IDOK;  // no selection: nothing to open, the dialog closes
  });
  EXPECT_EQ(RunDialog(), IDCANCEL);
  EXPECT_TRUE(m_opened.empty());
}

TEST_F(GtkBrowseDialogTest, FailedOpenIsReportedAndTheDialogStays) {
  REQUIRE_GTK();
  const std::string alpha = MakeArchive("a.vxb", "Alpha");
  Register(alpha);
  m_failure = 1001;
  ScriptedUser user;
  user.Then([](GtkDialog*) { return IDOK; });
  user.Then([](GtkDialog* dialog) {
    EXPECT_EQ(ListTexts(dialog), (Texts{"Alpha"}));
    return GTK_RESPONSE_DELETE_EVENT;
  });
  EXPECT_EQ(RunDialog(), IDCANCEL);
  EXPECT_EQ(m_opened.size(), 1u);
  ASSERT_EQ(m_boxes.shown().size(), 1u);
  EXPECT_NE(m_boxes.shown()[0].text.find(alpha), std::string::npos) << m_boxes.shown()[0].text;
  EXPECT_EQ(user.dialogs, 2);
}

TEST_F(GtkBrowseDialogTest, DoubleClickOpens) {
  REQUIRE_GTK();
  Register(MakeArchive("a.vxb", "Alpha", 1));
  Register(MakeArchive("b.vxb", "Beta", 2));
  ScriptedUser user;
  user.Then([](GtkDialog* dialog) {
    Select(dialog, 1);
    g_signal_emit_by_name(Row(dialog, 1), "activate");
    return GTK_RESPONSE_NONE;
  });
  EXPECT_EQ(RunDialog(), IDOK);
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0].archiveName, "Beta");
}

}  // namespace
}  // namespace registrar_tests
