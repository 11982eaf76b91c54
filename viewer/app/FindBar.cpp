#include "viewer/app/FindBar.h"

namespace {

constexpr guint32 kOptions = WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND;

template <class Handler>
GtkWidget* IconButton(const char* icon, const char* tooltip, Handler handler, gpointer data) {
  GtkWidget* button = gtk_button_new_from_icon_name(icon, GTK_ICON_SIZE_BUTTON);
  gtk_widget_set_tooltip_text(button, tooltip);
  g_signal_connect_swapped(button, "clicked", G_CALLBACK(handler), data);
  return button;
}

void NextCommand(FindBar* bar) { bar->Next(); }
void PreviousCommand(FindBar* bar) { bar->Previous(); }

}  // namespace

FindBar::FindBar(WebKitWebView* view)
    : m_controller(webkit_web_view_get_find_controller(view)),
      m_bar(gtk_search_bar_new()),
      m_entry(gtk_search_entry_new()),
      m_status(gtk_label_new("")) {
  // Held beyond the window's end, for the handlers taken away in the destructor.
  for (GtkWidget* widget : {m_bar, m_entry, m_status}) g_object_ref_sink(widget);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_entry_set_width_chars(GTK_ENTRY(m_entry), 30);
  gtk_box_pack_start(GTK_BOX(row), m_entry, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row),
                     IconButton("go-up-symbolic", "Previous match", &PreviousCommand, this), FALSE,
                     FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), IconButton("go-down-symbolic", "Next match", &NextCommand, this),
                     FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), m_status, FALSE, FALSE, 6);
  gtk_container_add(GTK_CONTAINER(m_bar), row);
  gtk_search_bar_connect_entry(GTK_SEARCH_BAR(m_bar), GTK_ENTRY(m_entry));
  gtk_search_bar_set_show_close_button(GTK_SEARCH_BAR(m_bar), TRUE);
  g_signal_connect(m_entry, "search-changed", G_CALLBACK(&FindBar::OnSearchChanged), this);
  g_signal_connect_swapped(m_entry, "activate", G_CALLBACK(&NextCommand), this);
  g_signal_connect_swapped(m_entry, "next-match", G_CALLBACK(&NextCommand), this);
  g_signal_connect_swapped(m_entry, "previous-match", G_CALLBACK(&PreviousCommand), this);
  g_signal_connect(m_bar, "notify::search-mode-enabled", G_CALLBACK(&FindBar::OnModeChanged), this);
  g_signal_connect(m_controller, "counted-matches", G_CALLBACK(&FindBar::OnCounted), this);
  g_signal_connect(m_controller, "failed-to-find-text", G_CALLBACK(&FindBar::OnFailed), this);
}

FindBar::~FindBar() {
  g_signal_handlers_disconnect_by_data(m_controller, this);
  g_signal_handlers_disconnect_by_data(m_bar, this);
  g_signal_handlers_disconnect_by_data(m_entry, this);
  for (GtkWidget* widget : {m_status, m_entry, m_bar}) g_object_unref(widget);
}

void FindBar::Open() {
  gtk_search_bar_set_search_mode(GTK_SEARCH_BAR(m_bar), TRUE);
  gtk_widget_grab_focus(m_entry);
  gtk_editable_select_region(GTK_EDITABLE(m_entry), 0, -1);
}

void FindBar::Close() { gtk_search_bar_set_search_mode(GTK_SEARCH_BAR(m_bar), FALSE); }

bool FindBar::IsOpen() const { return gtk_search_bar_get_search_mode(GTK_SEARCH_BAR(m_bar)); }

void FindBar::Find(const std::string& text) {
  Open();
  // Set quietly and searched at once, without the entry's typing delay.
  g_signal_handlers_block_by_func(m_entry, reinterpret_cast<gpointer>(&FindBar::OnSearchChanged),
                                  this);
  gtk_entry_set_text(GTK_ENTRY(m_entry), text.c_str());
  g_signal_handlers_unblock_by_func(m_entry, reinterpret_cast<gpointer>(&FindBar::OnSearchChanged),
                                    this);
  Search();
}

void FindBar::Search() {
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(m_entry));
  if (!*text) {
    webkit_find_controller_search_finish(m_controller);
    ShowStatus("");
    return;
  }
  webkit_find_controller_search(m_controller, text, kOptions, G_MAXUINT);
  webkit_find_controller_count_matches(m_controller, text, kOptions, G_MAXUINT);
}

void FindBar::Next() {
  if (*gtk_entry_get_text(GTK_ENTRY(m_entry))) webkit_find_controller_search_next(m_controller);
}

void FindBar::Previous() {
  if (*gtk_entry_get_text(GTK_ENTRY(m_entry))) webkit_find_controller_search_previous(m_controller);
}

std::string FindBar::Status() const { return gtk_label_get_text(GTK_LABEL(m_status)); }

void FindBar::ShowStatus(const std::string& text) {
  gtk_label_set_text(GTK_LABEL(m_status), text.c_str());
  if (onAnswered) onAnswered();
}

void FindBar::OnSearchChanged(GtkSearchEntry*, gpointer self) {
  static_cast<FindBar*>(self)->Search();
}

void FindBar::OnModeChanged(GObject*, GParamSpec*, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (bar->IsOpen()) return;
  webkit_find_controller_search_finish(bar->m_controller);
  gtk_label_set_text(GTK_LABEL(bar->m_status), "");
}

void FindBar::OnCounted(WebKitFindController*, guint count, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  bar->ShowStatus(count == 0   ? "No matches"
                  : count == 1 ? "1 match"
                               : std::to_string(count) + " matches");
}

void FindBar::OnFailed(WebKitFindController*, gpointer self) {
  static_cast<FindBar*>(self)->ShowStatus("No matches");
}
