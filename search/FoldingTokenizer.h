// Words as the index sees them: SQLite's unicode61 tokenizer of FTS5, with case
// and diacritics folded ("Café" and "CAFE" are both "cafe"). The index, the
// queries, the snippets and the suggestions all split and fold text through it,
// so that they can never disagree about what a word is.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct fts5_tokenizer;
struct Fts5Tokenizer;

namespace search {

// The options every table of the index is created with.
inline constexpr const char* kTokenizerOptions = "unicode61 remove_diacritics 2";

struct Token {
  std::string_view folded;  // the word as the index holds it (valid during the visit)
  std::size_t start;        // its bytes in the text
  std::size_t end;
};

class FoldingTokenizer {
 public:
  FoldingTokenizer();
  ~FoldingTokenizer();
  FoldingTokenizer(const FoldingTokenizer&) = delete;
  FoldingTokenizer& operator=(const FoldingTokenizer&) = delete;

  // Calls VISIT for every word of TEXT (UTF-8), in order, until it returns false.
  void Tokenize(std::string_view text, const std::function<bool(const Token&)>& visit) const;
  // The folded words of TEXT.
  std::vector<std::string> Words(std::string_view text) const;
  // The folded words of TEXT joined by single blanks.
  std::string Folded(std::string_view text) const;

 private:
  sqlite3* m_db = nullptr;
  std::unique_ptr<fts5_tokenizer> m_methods;
  Fts5Tokenizer* m_tokenizer = nullptr;
};

}  // namespace search
