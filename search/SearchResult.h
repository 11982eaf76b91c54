// What searches and suggestions answer.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "search/IndexSchema.h"

namespace search {

// A piece of a page's text around the words found; MARKS are the byte ranges
// of those words in TEXT.
struct Snippet {
  std::string text;
  std::vector<std::pair<std::size_t, std::size_t>> marks;
};

// How well a page matches, best first: its title or a symbol is the query, the
// title holds every word, a symbol holds every word, the text does.
enum class MatchTier { ExactTitle = 0, ExactSymbol, TitleWords, SymbolWords, Text };

struct SearchHit {
  std::string archive;      // the archive's name
  std::string archivePath;  // its file
  std::string path;         // the topic's path
  std::string title;
  Snippet snippet;
  MatchTier tier = MatchTier::Text;
  double coverage = 0;  // share of the title's words the query names
  double score = 0;     // bm25: lower is better
};

// Whether A ranks before B.
bool RanksBefore(const SearchHit& a, const SearchHit& b);

struct Suggestion {
  std::string text;  // a title or a symbol
  NameKind kind = NameKind::Title;
  std::string archive;
  std::string archivePath;
  std::string path;  // the topic it names
};

struct SearchResults {
  std::vector<SearchHit> hits;
  // No page holds every word: these hold some of them.
  bool partial = false;
  // Nothing was found as typed; the hits are for this query instead.
  std::string respelled;
  // Archives whose index is being built, and archives that cannot be searched
  // with the reason; neither holds up the others.
  std::vector<std::string> pending;
  std::vector<std::string> failures;
  // The archives the search covered: searched, pending and failed.
  std::size_t archives = 0;
};

}  // namespace search
