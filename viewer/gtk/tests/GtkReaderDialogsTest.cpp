// The reader's dialogs as GTK dialogs: what they show, and that the user's
// choices reach the dialog objects.
#include "viewer/gtk/GtkReaderDialogs.h"

#include "reader/DlgFileSelect.h"
#include "reader/DlgFirmCode.h"
#include "reader/tests/DialogTestSupport.h"
#include "viewer/gtk/GtkFileOpen.h"
#include "platform/gtk/tests/GtkTestSupport.h"

namespace {

using dialog_tests::DialogTest;

std::vector<std::string> ListEntries(GtkDialog* dialog, int& selected) {
  GtkTreeView* list = GTK_TREE_VIEW(FindNamedWidget(GTK_WIDGET(dialog), "firm-codes"));
  std::vector<std::string> entries;
  selected = -1;
  if (!list) return entries;
  GtkTreeModel* model = gtk_tree_view_get_model(list);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(list);
  GtkTreeIter row;
  for (bool more = gtk_tree_model_get_iter_first(model, &row); more;
       more = gtk_tree_model_iter_next(model, &row)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &row, 0, &text, -1);
    if (gtk_tree_selection_iter_is_selected(selection, &row)) selected = static_cast<int>(entries.size());
    entries.push_back(text);
    g_free(text);
  }
  return entries;
}

void SelectRow(GtkDialog* dialog, int index) {
  GtkTreeView* list = GTK_TREE_VIEW(FindNamedWidget(GTK_WIDGET(dialog), "firm-codes"));
  GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
  gtk_tree_selection_select_path(gtk_tree_view_get_selection(list), path);
  gtk_tree_path_free(path);
}

// Selects PATH in CHOOSER as a user would, letting the chooser load its folder
// (which it does in the background) until the file is selected.
void SelectInChooser(GtkDialog* chooser, const std::string& path) {
  gtk_widget_show(GTK_WIDGET(chooser));
  gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), path.c_str());
  for (int turn = 0; turn < 10000; ++turn) {
    gchar* selected = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    const bool done = selected && path == selected;
    g_free(selected);
    if (done) return;
    gtk_main_iteration_do(FALSE);
    if (turn % 100 == 99) gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), path.c_str());
  }
}

class GtkDialogs : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    REQUIRE_GTK();
  }

  GtkReaderDialogs m_gtk;
};

TEST_F(GtkDialogs, FirmCodeDialogListsTheCodesAndPassesTheChoice) {
  const std::vector<std::uint32_t> codes{7, 12};
  DlgFirmCode dialog(codes);
  dialog.m_archiveName = "Manual";
  ScriptedUser user;
  std::vector<std::string> entries;
  int selected = -2;
  std::string title, name;
  user.Then([&](GtkDialog* shown) {
    title = gtk_window_get_title(GTK_WINDOW(shown));
    name = LabelText(shown, "archive-name");
    entries = ListEntries(shown, selected);
    SelectRow(shown, 1);
    return IDOK;
  });
  EXPECT_EQ(dialog.DoModal(m_gtk), IDOK);
  EXPECT_EQ(title, "Stowra Firm Code Request");
  EXPECT_EQ(name, "Manual");
  EXPECT_EQ(entries, (std::vector<std::string>{"7", "12"}));
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(dialog.GetChosenFirmCode(), 12u);
}

// OK without a change takes the first code; Cancel and closing the window cancel.
TEST_F(GtkDialogs, FirmCodeDialogAnswers) {
  const std::vector<std::uint32_t> codes{31, 4};
  ScriptedUser user;
  for (int answer : {IDOK, IDCANCEL, static_cast<int>(GTK_RESPONSE_DELETE_EVENT)})
    user.Then([answer](GtkDialog*) { return answer; });
  DlgFirmCode first(codes), second(codes), third(codes);
  EXPECT_EQ(first.DoModal(m_gtk), IDOK);
  EXPECT_EQ(first.GetChosenFirmCode(), 31u);
  EXPECT_EQ(second.DoModal(m_gtk), IDCANCEL);
  EXPECT_EQ(third.DoModal(m_gtk), IDCANCEL);
}

// The file dialog for a registered name, and for a file URL (no document line,
// no check box): what it shows, and the path and check box the user sets.
TEST_F(GtkDialogs, FileDialogShowsItsLinesAndPassesPathAndCheckBox) {
  const std::string oldPath = files / "moved.vxb";
  const std::string manual = MakeArchive("manual.vxb", "Manual", 7);
  Register("Manual", 7, oldPath);
  for (const bool named : {true, false}) {
    DlgFileSelect dialog(oldPath, named ? "Manual" : "", named ? 7 : DlgFileSelect::kNoFirmCode,
                         catalog);
    ScriptedUser user;
    std::string fileLine, documentLine, shownPath;
    bool checkEnabled = false;
    user.Then([&](GtkDialog* shown) {
      fileLine = LabelText(shown, "file-line");
      documentLine = LabelText(shown, "document-line");
      GtkWidget* entry = FindNamedWidget(GTK_WIDGET(shown), "path");
      shownPath = gtk_entry_get_text(GTK_ENTRY(entry));
      gtk_entry_set_text(GTK_ENTRY(entry), manual.c_str());
      GtkWidget* check = FindNamedWidget(GTK_WIDGET(shown), "update-registry");
      checkEnabled = gtk_widget_get_sensitive(check);
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), TRUE);
      return IDOK;
    });
    EXPECT_EQ(dialog.DoModal(m_gtk), IDOK) << named;
    EXPECT_EQ(fileLine, "File: " + oldPath) << named;
    EXPECT_EQ(documentLine, named ? "Document: Manual" : "") << named;
    EXPECT_EQ(shownPath, oldPath) << named;
    EXPECT_EQ(checkEnabled, named);
    EXPECT_EQ(dialog.GetUpdateRegistry(), named);
    EXPECT_EQ(dialog.GetFilePath(), manual) << named;
  }
  EXPECT_EQ(Doc("Manual", 7), manual);
}

TEST_F(GtkDialogs, WrongFileKeepsTheDialogOpenWithTheEnteredPath) {
  const std::string oldPath = files / "moved.vxb";
  const std::string notArchive = files.Write("notes.txt", "plain text");
  DlgFileSelect dialog(oldPath, "Manual", 7, catalog);
  ScriptedUser user;
  std::string secondPath;
  user.Then([&](GtkDialog* shown) {
    gtk_entry_set_text(GTK_ENTRY(FindNamedWidget(GTK_WIDGET(shown), "path")), notArchive.c_str());
    return IDOK;
  });
  user.Then([&](GtkDialog* shown) {
    secondPath = gtk_entry_get_text(GTK_ENTRY(FindNamedWidget(GTK_WIDGET(shown), "path")));
    return GTK_RESPONSE_DELETE_EVENT;
  });
  EXPECT_EQ(dialog.DoModal(m_gtk), IDCANCEL);
  EXPECT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(secondPath, notArchive);
  EXPECT_EQ(user.unexpected, 0);
}

TEST_F(GtkDialogs, FindShowsTheChooserAndTheChosenFileReplacesThePath) {
  const std::string oldPath = files / "moved.vxb";
  const std::string manual = MakeArchive("manual.vxb", "Manual", 7);
  DlgFileSelect dialog(oldPath, "Manual", 7, catalog);
  ScriptedUser user;
  std::string chooserTitle, afterFind;
  int filters = 0;
  user.Then([](GtkDialog*) { return DlgFileSelect::kFindButton; });
  user.Then([&](GtkDialog* chooser) {
    chooserTitle = gtk_window_get_title(GTK_WINDOW(chooser));
    GSList* list = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(chooser));
    filters = static_cast<int>(g_slist_length(list));
    g_slist_free(list);
    SelectInChooser(chooser, manual);
    return GTK_RESPONSE_ACCEPT;
  });
  user.Then([&](GtkDialog* shown) {
    afterFind = gtk_entry_get_text(GTK_ENTRY(FindNamedWidget(GTK_WIDGET(shown), "path")));
    return IDCANCEL;
  });
  EXPECT_EQ(dialog.DoModal(m_gtk), IDCANCEL);
  EXPECT_EQ(chooserTitle, "Select Stowra Document File");
  EXPECT_EQ(filters, 2);
  EXPECT_EQ(afterFind, manual);
}

TEST_F(GtkDialogs, CancelledChooserChoosesNothing) {
  ScriptedUser user;
  user.Then([](GtkDialog*) { return GTK_RESPONSE_CANCEL; });
  std::string path = "unchanged";
  EXPECT_FALSE(m_gtk.ChooseFileToOpen({"Stowra Reader", "*.vxb", "", ""}, path));
  EXPECT_EQ(path, "unchanged");
}

TEST(FileFilter, PairsUpToTheEndMark) {
  using Filters = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(ParseFileFilter("VEXOBIFF Files (*.vxb)|*.vxb|All Files (*)|*||"),
            (Filters{{"VEXOBIFF Files (*.vxb)", "*.vxb"}, {"All Files (*)", "*"}}));
  EXPECT_EQ(ParseFileFilter("*.vxb"), (Filters{{"*.vxb", "*.vxb"}}));
  EXPECT_EQ(ParseFileFilter(""), Filters{});
  EXPECT_EQ(ParseFileFilter("Only a description|"), Filters{});
  EXPECT_EQ(ParseFileFilter("A|*.a;*.b"), Filters{});
  EXPECT_EQ(ParseFileFilter("A|*.a;*.b|"), (Filters{{"A", "*.a;*.b"}}));
}

TEST(FileFilter, DefaultExtensionOnlyForNamesWithoutOneThatDoNotExist) {
  TempFolder folder;
  const std::string plain = folder.Write("plain", "x");
  EXPECT_EQ(WithDefaultExtension(plain, ".vxb"), plain);
  EXPECT_EQ(WithDefaultExtension(folder / "new", ".vxb"), folder / "new.vxb");
  EXPECT_EQ(WithDefaultExtension(folder / "new.txt", ".vxb"), folder / "new.txt");
  EXPECT_EQ(WithDefaultExtension(folder / "new", ""), folder / "new");
}

}  // namespace
