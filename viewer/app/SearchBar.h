// The tool bar's search: an entry (Ctrl+K, the frame's accelerator, focuses it)
// that offers titles and symbols as the user types, and an "All archives" box
// that widens the search from the archive shown to every registered one. Enter
// asks for the results page; a suggestion chosen opens its topic at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtk/gtk.h>

#include "search/SearchResult.h"

class SearchBar {
 public:
  SearchBar();
  ~SearchBar();
  SearchBar(const SearchBar&) = delete;
  SearchBar& operator=(const SearchBar&) = delete;

  GtkToolItem* Item() const { return m_item; }

  // Gives the entry the keyboard focus with its text selected.
  void Focus();
  bool HasFocus() const;
  bool AllArchives() const;
  void SetAllArchives(bool all);
  // The suggestions offered now, in order.
  std::vector<std::string> SuggestionTexts() const;
  // Opens the suggestion at INDEX (from 0) as if chosen; false when there is none.
  bool ChooseSuggestion(std::size_t index);

  // The user entered WORDS; ALL when every registered archive is to be searched.
  std::function<void(const std::string& words, bool all)> onSearch;
  // Titles and symbols for TEXT as typed so far.
  std::function<std::vector<search::Suggestion>(const std::string& text, bool all)> onSuggest;
  // The suggestion chosen: the topic it names, in the archive's file.
  std::function<void(const search::Suggestion& suggestion)> onOpen;

 private:
  void Refill();

  static void OnChanged(GtkEditable*, gpointer self);
  static void OnActivate(GtkEntry*, gpointer self);
  static gboolean OnMatchSelected(GtkEntryCompletion*, GtkTreeModel*, GtkTreeIter* iter,
                                  gpointer self);
  static gboolean MatchAll(GtkEntryCompletion*, const gchar*, GtkTreeIter*, gpointer);

  GtkToolItem* m_item;
  GtkWidget* m_entry;
  GtkWidget* m_all;
  GtkListStore* m_store;
  GtkEntryCompletion* m_completion;
  std::vector<search::Suggestion> m_suggestions;  // row N of the store is m_suggestions[N]
};
