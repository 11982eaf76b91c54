#include "viewer/gtk/GtkReaderDialogs.h"

#include "reader/DlgFileSelect.h"
#include "reader/DlgFirmCode.h"
#include "viewer/gtk/GtkFileOpen.h"
#include "platform/gtk/ModalDialog.h"

namespace {

GtkWidget* Content(GtkWidget* dialog) {
  GtkWidget* box = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_box_set_spacing(GTK_BOX(box), 6);
  return box;
}

GtkWidget* NamedLabel(const std::string& text, const char* name) {
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  if (name) gtk_widget_set_name(label, name);
  return label;
}

// The sunken frame around the two top lines.
GtkWidget* FramedLines(GtkWidget* first, GtkWidget* second) {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  GtkWidget* lines = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  gtk_container_set_border_width(GTK_CONTAINER(lines), 4);
  gtk_box_pack_start(GTK_BOX(lines), first, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(lines), second, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(frame), lines);
  return frame;
}

GtkWidget* FirmCodeList(const DlgFirmCode& dialog) {
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  for (const std::string& entry : dialog.GetEntries()) {
    GtkTreeIter row;
    gtk_list_store_append(store, &row);
    gtk_list_store_set(store, &row, 0, entry.c_str(), -1);
  }
  GtkWidget* list = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_widget_set_name(list, "firm-codes");
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(list), FALSE);
  gtk_tree_view_append_column(GTK_TREE_VIEW(list),
                              gtk_tree_view_column_new_with_attributes(
                                  "", gtk_cell_renderer_text_new(), "text", 0, nullptr));
  if (dialog.GetSelection() >= 0) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(dialog.GetSelection(), -1);
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(GTK_TREE_VIEW(list)), path);
    gtk_tree_path_free(path);
  }
  return list;
}

// The index of the selected row of LIST, or -1.
int SelectedRow(GtkWidget* list) {
  GtkTreeModel* model = nullptr;
  GtkTreeIter row;
  if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(list)), &model, &row))
    return -1;
  GtkTreePath* path = gtk_tree_model_get_path(model, &row);
  const int index = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  return index;
}

void RespondOk(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer dialog) {
  gtk_dialog_response(GTK_DIALOG(dialog), IDOK);
}

}  // namespace

int GtkReaderDialogs::WaitForFirmCodeButton(DlgFirmCode& dialog) {
  GtkWidget* window = NewModalDialog(DlgFirmCode::kCaption);
  GtkWidget* box = Content(window);
  gtk_box_pack_start(GTK_BOX(box),
                     FramedLines(NamedLabel(std::string(DlgFirmCode::kIntroText), nullptr),
                                 NamedLabel(dialog.m_archiveName, "archive-name")),
                     FALSE, FALSE, 0);
  GtkWidget* prompt = gtk_label_new_with_mnemonic(GtkMnemonics(std::string(DlgFirmCode::kPromptText)).c_str());
  gtk_label_set_xalign(GTK_LABEL(prompt), 0.0f);
  gtk_box_pack_start(GTK_BOX(box), prompt, FALSE, FALSE, 0);
  GtkWidget* list = FirmCodeList(dialog);
  gtk_label_set_mnemonic_widget(GTK_LABEL(prompt), list);
  g_signal_connect(list, "row-activated", G_CALLBACK(RespondOk), window);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_widget_set_size_request(scroller, 260, 100);
  gtk_container_add(GTK_CONTAINER(scroller), list);
  gtk_box_pack_start(GTK_BOX(box), scroller, TRUE, TRUE, 0);
  gtk_dialog_add_button(GTK_DIALOG(window), "_Cancel", IDCANCEL);
  gtk_dialog_add_button(GTK_DIALOG(window), "_OK", IDOK);
  gtk_dialog_set_default_response(GTK_DIALOG(window), IDOK);
  gtk_widget_show_all(box);
  gtk_widget_grab_focus(list);
  const int response = RunModalDialog(GTK_DIALOG(window));
  if (response == IDOK) dialog.Select(SelectedRow(list));
  gtk_widget_destroy(window);
  return response == IDOK ? IDOK : IDCANCEL;
}

int GtkReaderDialogs::WaitForFileSelectButton(DlgFileSelect& dialog) {
  GtkWidget* window = NewModalDialog(DlgFileSelect::kCaption);
  GtkWidget* box = Content(window);
  gtk_box_pack_start(GTK_BOX(box),
                     FramedLines(NamedLabel(dialog.GetFileLine(), "file-line"),
                                 NamedLabel(dialog.GetDocumentLine(), "document-line")),
                     FALSE, FALSE, 0);
  GtkWidget* prompt =
      gtk_label_new_with_mnemonic(GtkMnemonics(std::string(DlgFileSelect::kPromptText)).c_str());
  gtk_label_set_xalign(GTK_LABEL(prompt), 0.0f);
  gtk_box_pack_start(GTK_BOX(box), prompt, FALSE, FALSE, 0);
  GtkWidget* entry = gtk_entry_new();
  gtk_widget_set_name(entry, "path");
  gtk_entry_set_text(GTK_ENTRY(entry), dialog.GetFilePath().c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 48);
  gtk_label_set_mnemonic_widget(GTK_LABEL(prompt), entry);
  gtk_box_pack_start(GTK_BOX(box), entry, FALSE, FALSE, 0);
  GtkWidget* check = gtk_check_button_new_with_mnemonic(
      GtkMnemonics(std::string(DlgFileSelect::kUpdateRegistryText)).c_str());
  gtk_widget_set_name(check, "update-registry");
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), dialog.GetUpdateRegistry());
  gtk_widget_set_sensitive(check, dialog.IsUpdateRegistryEnabled());
  gtk_box_pack_start(GTK_BOX(box), check, FALSE, FALSE, 0);
  gtk_dialog_add_button(GTK_DIALOG(window), GtkMnemonics(std::string(DlgFileSelect::kFindText)).c_str(),
                        DlgFileSelect::kFindButton);
  gtk_dialog_add_button(GTK_DIALOG(window), "_Cancel", IDCANCEL);
  gtk_dialog_add_button(GTK_DIALOG(window), "_OK", IDOK);
  gtk_dialog_set_default_response(GTK_DIALOG(window), IDOK);
  gtk_widget_show_all(box);
  const int response = RunModalDialog(GTK_DIALOG(window));
  const bool pressed = response == IDOK || response == DlgFileSelect::kFindButton;
  if (pressed) {
    dialog.SetFilePath(gtk_entry_get_text(GTK_ENTRY(entry)));
    dialog.SetUpdateRegistry(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)));
  }
  gtk_widget_destroy(window);
  return pressed ? response : IDCANCEL;
}

bool GtkReaderDialogs::ChooseFileToOpen(const FileOpenRequest& request, std::string& path) {
  return ChooseFileWithGtk(request, path);
}
