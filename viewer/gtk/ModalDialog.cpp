#include "viewer/gtk/ModalDialog.h"

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

std::string WithoutCarriageReturns(const std::string& text) {
  std::string out = text;
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
  return out;
}
