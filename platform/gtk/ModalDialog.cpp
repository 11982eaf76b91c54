#include "platform/gtk/ModalDialog.h"

#include <algorithm>

namespace {

ModalDialogHook& Hook() {
  static ModalDialogHook hook;
  return hook;
}

}  // namespace

GtkWindow* ActiveWindow() {
  GList* windows = gtk_window_list_toplevels();
  GtkWindow* active = nullptr;
  GtkWindow* visible = nullptr;
  for (GList* item = windows; item; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    if (gtk_window_get_window_type(window) != GTK_WINDOW_TOPLEVEL) continue;
    if (!active && gtk_window_is_active(window)) active = window;
    if (!visible && gtk_widget_get_visible(GTK_WIDGET(window))) visible = window;
  }
  g_list_free(windows);
  return active ? active : visible;
}

GtkWidget* NewModalDialog(std::string_view caption) {
  GtkWidget* dialog = gtk_dialog_new();
  gtk_window_set_title(GTK_WINDOW(dialog), std::string(caption).c_str());
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_transient_for(GTK_WINDOW(dialog), ActiveWindow());
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_container_set_border_width(GTK_CONTAINER(dialog), 8);
  return dialog;
}

int RunModalDialog(GtkDialog* dialog) {
  if (Hook()) return Hook()(dialog);
  return gtk_dialog_run(dialog);
}

void SetModalDialogHook(ModalDialogHook hook) { Hook() = std::move(hook); }

GtkWidget* FindNamedWidget(GtkWidget* root, const std::string& name) {
  if (!root) return nullptr;
  if (name == gtk_widget_get_name(root)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* item = children; item && !found; item = item->next)
    found = FindNamedWidget(GTK_WIDGET(item->data), name);
  g_list_free(children);
  return found;
}

std::string GtkMnemonics(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
      out += '&';
      ++i;
    } else if (text[i] == '&') {
      out += '_';
    } else if (text[i] == '_') {
      out += "__";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string out = text;
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
  return out;
}
