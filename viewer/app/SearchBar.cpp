#include "viewer/app/SearchBar.h"

namespace {

// Shorter texts name too much to be worth suggesting from.
constexpr glong kShortestSuggested = 2;

}  // namespace

SearchBar::SearchBar()
    : m_item(gtk_tool_item_new()),
      m_entry(gtk_search_entry_new()),
      m_all(gtk_check_button_new_with_mnemonic("_All archives")),
      m_store(gtk_list_store_new(1, G_TYPE_STRING)),
      m_completion(gtk_entry_completion_new()) {
  // Held beyond the window's end, for the handlers taken away in the destructor.
  g_object_ref_sink(m_item);
  g_object_ref_sink(m_entry);
  gtk_entry_set_width_chars(GTK_ENTRY(m_entry), 28);
  gtk_entry_set_placeholder_text(GTK_ENTRY(m_entry), "Search (Ctrl+K)");
  gtk_widget_set_tooltip_text(m_all, "Search every registered archive, not only the one shown");
  gtk_entry_completion_set_model(m_completion, GTK_TREE_MODEL(m_store));
  gtk_entry_completion_set_text_column(m_completion, 0);
  gtk_entry_completion_set_minimum_key_length(m_completion, kShortestSuggested);
  gtk_entry_completion_set_match_func(m_completion, &SearchBar::MatchAll, nullptr, nullptr);
  gtk_entry_set_completion(GTK_ENTRY(m_entry), m_completion);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_box_pack_start(GTK_BOX(row), m_entry, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), m_all, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(m_item), row);
  g_signal_connect(m_entry, "changed", G_CALLBACK(&SearchBar::OnChanged), this);
  g_signal_connect(m_entry, "activate", G_CALLBACK(&SearchBar::OnActivate), this);
  g_signal_connect(m_completion, "match-selected", G_CALLBACK(&SearchBar::OnMatchSelected), this);
}

SearchBar::~SearchBar() {
  g_signal_handlers_disconnect_by_data(m_entry, this);
  g_signal_handlers_disconnect_by_data(m_completion, this);
  g_object_unref(m_completion);
  g_object_unref(m_store);
  g_object_unref(m_entry);
  g_object_unref(m_item);
}

void SearchBar::Focus() {
  gtk_widget_grab_focus(m_entry);
  gtk_editable_select_region(GTK_EDITABLE(m_entry), 0, -1);
}

bool SearchBar::HasFocus() const { return gtk_widget_has_focus(m_entry); }

bool SearchBar::AllArchives() const {
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_all));
}

void SearchBar::SetAllArchives(bool all) {
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_all), all);
}

std::vector<std::string> SearchBar::SuggestionTexts() const {
  std::vector<std::string> texts;
  for (const search::Suggestion& suggestion : m_suggestions) texts.push_back(suggestion.text);
  return texts;
}

bool SearchBar::ChooseSuggestion(std::size_t index) {
  if (index >= m_suggestions.size()) return false;
  const search::Suggestion chosen = m_suggestions[index];
  if (onOpen) onOpen(chosen);
  return true;
}

void SearchBar::Refill() {
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(m_entry));
  m_suggestions.clear();
  if (onSuggest && g_utf8_strlen(text, -1) >= kShortestSuggested)
    m_suggestions = onSuggest(text, AllArchives());
  gtk_list_store_clear(m_store);
  for (const search::Suggestion& suggestion : m_suggestions)
    gtk_list_store_insert_with_values(m_store, nullptr, -1, 0, suggestion.text.c_str(), -1);
  if (!m_suggestions.empty() && gtk_widget_has_focus(m_entry))
    gtk_entry_completion_complete(m_completion);
}

void SearchBar::OnChanged(GtkEditable*, gpointer self) {
  static_cast<SearchBar*>(self)->Refill();
}

void SearchBar::OnActivate(GtkEntry* entry, gpointer self) {
  auto* bar = static_cast<SearchBar*>(self);
  const std::string words = gtk_entry_get_text(entry);
  if (words.find_first_not_of(" \t") != std::string::npos && bar->onSearch)
    bar->onSearch(words, bar->AllArchives());
}

gboolean SearchBar::OnMatchSelected(GtkEntryCompletion*, GtkTreeModel* model, GtkTreeIter* iter,
                                    gpointer self) {
  GtkTreePath* path = gtk_tree_model_get_path(model, iter);
  const gint row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  static_cast<SearchBar*>(self)->ChooseSuggestion(static_cast<std::size_t>(row));
  return TRUE;  // the entry keeps what was typed
}

gboolean SearchBar::MatchAll(GtkEntryCompletion*, const gchar*, GtkTreeIter*, gpointer) {
  // The suggestions are already those of the text: a symbol may match a word
  // inside a title, not only its beginning.
  return TRUE;
}
