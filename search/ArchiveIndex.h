// The index of one archive, open for queries. Ranking puts the page a user means
// first: a page whose title is the query, then one with a symbol of that name,
// then titles and symbols holding every word (those naming fewest other words
// first), then the rest by FTS5's bm25 over title, symbols, headings and text.
// Title and symbol matches come from the small tables of titles and symbols,
// so they cost little whatever the size of the archive; the text is asked only
// for what they leave.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/VxbFile.h"
#include "search/FoldingTokenizer.h"
#include "search/IndexLocation.h"
#include "search/SearchQuery.h"
#include "search/SearchResult.h"
#include "search/SqliteDatabase.h"

namespace search {

class ArchiveIndex {
 public:
  // Opens the index file at PATH for reading. Throws file errors, and 1031 for a
  // file that is no index of this format (to be built again).
  ArchiveIndex(std::string path, const FoldingTokenizer& tokenizer);
  ~ArchiveIndex();

  // The archive the index was built from.
  const ArchiveIdentity& Identity() const { return m_identity; }
  const std::string& Path() const { return m_db.Path(); }

  // The LIMIT best pages for TEXT. When no page holds every word and ALLOWPARTIAL
  // is set, pages holding some are given and PARTIAL set.
  std::vector<SearchHit> Search(std::string_view text, std::size_t limit, bool allowPartial,
                                bool& partial);
  // Up to LIMIT titles and symbols that TEXT (as typed so far) begins or names.
  std::vector<Suggestion> Suggest(std::string_view text, std::size_t limit);
  // TEXT with each word that no page holds replaced by the closest word that
  // pages do hold; "" when there is nothing to change.
  std::string Respelled(std::string_view text);

 private:
  struct Candidate;
  SearchQuery QueryOf(std::string_view text) const;
  void AddNameMatches(const SearchQuery& query, std::vector<Candidate>& candidates);
  void AddTextMatches(const std::string& expression, std::size_t limit,
                      std::vector<Candidate>& candidates);
  // Keeps the candidates before FROM and, of the rest (best first), those that
  // hold every phrase, LIMIT in all.
  void KeepPhraseHolders(std::vector<Candidate>& candidates, std::size_t from,
                         const std::vector<std::vector<std::string>>& phrases, std::size_t limit);
  bool HoldsPhrases(std::int64_t page, const std::vector<std::vector<std::string>>& phrases);
  bool HasPhrases(std::string_view text, const std::vector<std::vector<std::string>>& phrases) const;
  std::vector<SearchHit> Finish(std::vector<Candidate>& candidates, const SearchQuery& query,
                                std::size_t limit);
  std::string ClosestWord(const std::string& word);
  // The snippet of PAGE from HEAD, the head of its text, and, when the words
  // are not all there and READON is set, from the rest of the text kept.
  Snippet SnippetOf(std::int64_t page, const std::string& head,
                    const std::vector<std::string>& words, bool prefix, bool readOn);
  // HEAD followed by the rest of the text kept of PAGE.
  std::string KeptText(std::int64_t page, std::string head);

  SqliteDatabase m_db;
  const FoldingTokenizer& m_tokenizer;
  ArchiveIdentity m_identity;
  std::vector<std::string> m_suffixWords;
  std::unique_ptr<SqliteStatement> m_names[2];     // titles and symbols by bm25, by NameKind
  std::unique_ptr<SqliteStatement> m_shortest[2];  // the same, shortest first
  std::unique_ptr<SqliteStatement> m_text;
  std::unique_ptr<SqliteStatement> m_page;
  std::unique_ptr<SqliteStatement> m_rest;
  std::unique_ptr<ThisVxbFile> m_archive;  // opened to check phrases in long pages
};

// The index of the archive at ARCHIVEPATH in FOLDER when it belongs to the
// archive as it is now; null when there is none or it is stale, damaged or of
// another format (to be built again).
std::unique_ptr<ArchiveIndex> OpenCurrentIndex(const std::string& archivePath,
                                               const FoldingTokenizer& tokenizer,
                                               const std::string& folder = IndexFolder());

// Orders suggestions for TEXT as typed: names that begin with it first, then
// shorter names before longer ones.
void SortSuggestions(std::vector<Suggestion>& suggestions, std::string_view text,
                     const FoldingTokenizer& tokenizer);

}  // namespace search
