// A query as a user types it: words, "phrases in quotes", the last word taken as
// a prefix while it is being typed. Words are split and folded by the index's
// own tokenizer, so that the query means what the index holds; every word goes
// into the FTS5 expression quoted, so no text of the user is read as FTS5
// syntax.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/FoldingTokenizer.h"

namespace search {

struct QueryTerm {
  std::vector<std::string> words;  // folded; more than one: a phrase
  bool prefix = false;             // the last word may go on
};

class SearchQuery {
 public:
  // TEXT as typed; a leading section number ("4.2. ") is dropped.
  SearchQuery(std::string_view text, const FoldingTokenizer& tokenizer);

  bool Empty() const { return m_terms.empty(); }
  const std::vector<QueryTerm>& Terms() const { return m_terms; }
  // Every folded word, in order.
  std::vector<std::string> Words() const;

  // Drops a run of trailing words equal to SUFFIXWORDS (a site's name that titles
  // end with) unless nothing would remain.
  void DropTrailingWords(const std::vector<std::string>& suffixWords);
  // Takes the last word as typed in full.
  void EndPrefix();

  // The phrases (terms of more than one word).
  std::vector<std::vector<std::string>> Phrases() const;

  // The FTS5 expression: all terms (ALL) or any of them, limited to COLUMNS
  // ("title" or "{title symbols}") when given. Phrases are spelled as phrases,
  // or (PHRASESASWORDS, for a table without positions) as all of their words.
  std::string Expression(bool all = true, std::string_view columns = {},
                         bool phrasesAsWords = false) const;
  // The FTS5 expression for COLUMN beginning with every word in order, the last
  // one as a prefix while it is typed.
  std::string BeginningExpression(std::string_view column) const;

 private:
  std::vector<QueryTerm> m_terms;
};

}  // namespace search
