#include "viewer/app/AboutDlg.h"

#include "platform/UserInterface.h"
#include "platform/gtk/ModalDialog.h"

void CAboutDlg::DoModal(GtkWindow* parent) {
  GtkWidget* dialog = gtk_dialog_new();
  gtk_window_set_title(GTK_WINDOW(dialog), kCaption);
  gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_container_set_border_width(GTK_CONTAINER(dialog), 12);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_box_set_spacing(GTK_BOX(content), 8);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  gtk_box_pack_start(GTK_BOX(row), gtk_image_new_from_icon_name("help-about", GTK_ICON_SIZE_DIALOG), FALSE,
                     FALSE, 0);
  GtkWidget* texts = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  for (const char* text : {kProductText, kVersionText}) {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_box_pack_start(GTK_BOX(texts), label, FALSE, FALSE, 0);
  }
  gtk_box_pack_start(GTK_BOX(row), texts, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(content), row, TRUE, TRUE, 0);
  gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", IDOK);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), IDOK);
  gtk_widget_show_all(content);
  RunModalDialog(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}
