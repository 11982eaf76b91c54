#include "registrar/gtk/GtkBrowseDialog.h"

#include <string>
#include <vector>

#include "platform/gtk/ModalDialog.h"
#include "registrar/DlgDocumentBrowse.h"

namespace {

using D = DlgDocumentBrowse;
namespace names = browse_widgets;

// The dialog's widgets and the logic behind them, for one run.
class BrowseWindow {
 public:
  explicit BrowseWindow(D& dialog);
  ~BrowseWindow() { gtk_widget_destroy(m_window); }
  BrowseWindow(const BrowseWindow&) = delete;
  BrowseWindow& operator=(const BrowseWindow&) = delete;

  // Runs the dialog until the logic has ended it or the user closed it.
  void Run();

 private:
  GtkWidget* BuildList();
  GtkWidget* BuildBoxes();
  GtkWidget* BuildDescription();
  GtkWidget* NewBox(int id, std::string_view text, const char* name);
  // Sets every widget from the logic.
  void Update();
  void UpdateList();

  static void OnRowSelected(GtkListBox* list, GtkListBoxRow* row, gpointer self);
  static void OnRowActivated(GtkListBox* list, GtkListBoxRow* row, gpointer self);
  static void OnToggled(GtkToggleButton* box, gpointer self);

  D& m_dialog;
  GtkWidget* m_window;
  GtkWidget* m_list = nullptr;
  GtkWidget* m_currentUser = nullptr;
  GtkWidget* m_allUsers = nullptr;
  GtkWidget* m_fields[5] = {};
  std::vector<std::string> m_listed;
  bool m_updating = false;  // signals of changes made by Update are no user's
};

GtkWidget* LeftLabel(std::string_view text, GtkWidget* target) {
  GtkWidget* label = gtk_label_new_with_mnemonic(GtkMnemonics(std::string(text)).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_mnemonic_widget(GTK_LABEL(label), target);
  return label;
}

BrowseWindow::BrowseWindow(D& dialog) : m_dialog(dialog), m_window(NewModalDialog(D::kCaption)) {
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(m_window));
  gtk_box_set_spacing(GTK_BOX(content), 6);
  GtkWidget* list = BuildList();
  gtk_box_pack_start(GTK_BOX(content), LeftLabel(D::kListLabel, m_list), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(content), list, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(content), BuildBoxes(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(content), BuildDescription(), FALSE, FALSE, 0);
  gtk_dialog_add_button(GTK_DIALOG(m_window), GtkMnemonics(std::string(D::kOpenText)).c_str(), IDOK);
  gtk_dialog_add_button(GTK_DIALOG(m_window), GtkMnemonics(std::string(D::kCloseText)).c_str(), IDCANCEL);
  gtk_dialog_set_default_response(GTK_DIALOG(m_window), IDOK);
  gtk_widget_show_all(content);
  Update();
  gtk_widget_grab_focus(m_list);
}

GtkWidget* BrowseWindow::BuildList() {
  m_list = gtk_list_box_new();
  gtk_widget_set_name(m_list, names::kList);
  gtk_list_box_set_selection_mode(GTK_LIST_BOX(m_list), GTK_SELECTION_BROWSE);
  gtk_list_box_set_activate_on_single_click(GTK_LIST_BOX(m_list), FALSE);
  g_signal_connect(m_list, "row-selected", G_CALLBACK(OnRowSelected), this);
  g_signal_connect(m_list, "row-activated", G_CALLBACK(OnRowActivated), this);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_widget_set_size_request(scroller, 360, 140);
  gtk_container_add(GTK_CONTAINER(scroller), m_list);
  return scroller;
}

GtkWidget* BrowseWindow::NewBox(int id, std::string_view text, const char* name) {
  GtkWidget* box = gtk_check_button_new_with_mnemonic(GtkMnemonics(std::string(text)).c_str());
  gtk_widget_set_name(box, name);
  g_object_set_data(G_OBJECT(box), "control-id", GINT_TO_POINTER(id));
  g_signal_connect(box, "toggled", G_CALLBACK(OnToggled), this);
  return box;
}

GtkWidget* BrowseWindow::BuildBoxes() {
  m_currentUser = NewBox(D::kCurrentUserBox, D::kCurrentUserText, names::kCurrentUser);
  m_allUsers = NewBox(D::kAllUsersBox, D::kAllUsersText, names::kAllUsers);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  gtk_box_pack_start(GTK_BOX(row), m_currentUser, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), m_allUsers, FALSE, FALSE, 0);
  return row;
}

GtkWidget* BrowseWindow::BuildDescription() {
  const std::pair<std::string_view, const char*> fields[] = {
      {D::kTitleLabel, names::kTitle},       {D::kCopyrightLabel, names::kCopyright},
      {D::kPathLabel, names::kPath},         {D::kFirmCodeLabel, names::kFirmCode},
      {D::kBuildDateLabel, names::kBuildDate}};
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 6);
  for (int i = 0; i < 5; ++i) {
    GtkWidget* field = gtk_entry_new();
    gtk_widget_set_name(field, fields[i].second);
    gtk_editable_set_editable(GTK_EDITABLE(field), FALSE);
    gtk_widget_set_hexpand(field, TRUE);
    m_fields[i] = field;
    gtk_grid_attach(GTK_GRID(grid), LeftLabel(fields[i].first, field), 0, i, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), field, 1, i, 1, 1);
  }
  GtkWidget* group = gtk_frame_new(std::string(D::kGroupText).c_str());
  gtk_container_add(GTK_CONTAINER(group), grid);
  return group;
}

void BrowseWindow::UpdateList() {
  const std::vector<std::string> texts = m_dialog.GetListTexts();
  if (texts != m_listed) {
    GList* rows = gtk_container_get_children(GTK_CONTAINER(m_list));
    for (GList* row = rows; row; row = row->next) gtk_widget_destroy(GTK_WIDGET(row->data));
    g_list_free(rows);
    for (const std::string& text : texts) {
      GtkWidget* label = gtk_label_new(text.c_str());
      gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
      gtk_list_box_insert(GTK_LIST_BOX(m_list), label, -1);
    }
    gtk_widget_show_all(m_list);
    m_listed = texts;
  }
  const int selection = m_dialog.GetListSelection();
  GtkListBoxRow* row = selection >= 0 ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(m_list), selection) : nullptr;
  if (row)
    gtk_list_box_select_row(GTK_LIST_BOX(m_list), row);
  else
    gtk_list_box_unselect_all(GTK_LIST_BOX(m_list));
}

void BrowseWindow::Update() {
  m_updating = true;
  UpdateList();
  for (GtkWidget* box : {m_currentUser, m_allUsers}) {
    const int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(box), "control-id"));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), m_dialog.IsChecked(id));
    gtk_widget_set_sensitive(box, m_dialog.IsEnabled(id));
  }
  const D::Description& description = m_dialog.GetDescription();
  const std::string* texts[] = {&description.title, &description.copyright, &description.path,
                                &description.firmCode, &description.buildDate};
  for (int i = 0; i < 5; ++i) gtk_entry_set_text(GTK_ENTRY(m_fields[i]), texts[i]->c_str());
  gtk_dialog_set_response_sensitive(GTK_DIALOG(m_window), IDOK, m_dialog.IsOpenEnabled());
  m_updating = false;
}

void BrowseWindow::OnRowSelected(GtkListBox*, GtkListBoxRow* row, gpointer self) {
  auto* window = static_cast<BrowseWindow*>(self);
  if (window->m_updating) return;
  window->m_dialog.OnSelectionChange(row ? gtk_list_box_row_get_index(row) : -1);
  window->Update();
}

void BrowseWindow::OnRowActivated(GtkListBox*, GtkListBoxRow*, gpointer self) {
  auto* window = static_cast<BrowseWindow*>(self);
  window->m_dialog.OnDoubleClick();
  if (window->m_dialog.IsEnded())
    gtk_dialog_response(GTK_DIALOG(window->m_window), IDOK);
  else
    window->Update();
}

void BrowseWindow::OnToggled(GtkToggleButton* box, gpointer self) {
  auto* window = static_cast<BrowseWindow*>(self);
  if (window->m_updating) return;
  const int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(box), "control-id"));
  window->m_dialog.OnCheckBox(id, gtk_toggle_button_get_active(box));
  window->Update();
}

void BrowseWindow::Run() {
  while (!m_dialog.IsEnded()) {
    const int response = RunModalDialog(GTK_DIALOG(m_window));
    if (m_dialog.IsEnded()) break;
    // Open stays in the dialog when it fails; every other answer closes it.
    if (response == IDOK && m_dialog.IsOpenEnabled())
      m_dialog.OnOK();
    else
      m_dialog.OnCancel();
    Update();
  }
}

}  // namespace

void GtkBrowseDialog::RunBrowseDialog(DlgDocumentBrowse& dialog) { BrowseWindow(dialog).Run(); }
