#include "search/FoldingTokenizer.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

#include "base/KelException.h"

namespace search {

namespace {

// FTS5 hands out its API through a pointer-passing SQL function.
fts5_api* Fts5Api(sqlite3* db) {
  fts5_api* api = nullptr;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &stmt, nullptr) == SQLITE_OK) {
    sqlite3_bind_pointer(stmt, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(stmt);
  }
  sqlite3_finalize(stmt);
  return api;
}

[[noreturn]] void ThrowMissing() {
  CKelException::Throw(1000, "SQLite lacks the FTS5 module or its unicode61 tokenizer.");
}

int OnToken(void* context, int, const char* token, int length, int start, int end) {
  const auto& visit = *static_cast<const std::function<bool(const Token&)>*>(context);
  const bool more = visit({std::string_view(token, static_cast<std::size_t>(length)),
                           static_cast<std::size_t>(start), static_cast<std::size_t>(end)});
  return more ? SQLITE_OK : SQLITE_DONE;
}

}  // namespace

FoldingTokenizer::FoldingTokenizer() : m_methods(std::make_unique<fts5_tokenizer>()) {
  if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(m_db);
    throw new CKelException(1014);
  }
  fts5_api* api = Fts5Api(m_db);
  void* userData = nullptr;
  if (!api || api->xFindTokenizer(api, "unicode61", &userData, m_methods.get()) != SQLITE_OK) {
    sqlite3_close(m_db);
    ThrowMissing();
  }
  const char* options[] = {"remove_diacritics", "2"};
  if (m_methods->xCreate(userData, options, 2, &m_tokenizer) != SQLITE_OK) {
    sqlite3_close(m_db);
    ThrowMissing();
  }
}

FoldingTokenizer::~FoldingTokenizer() {
  m_methods->xDelete(m_tokenizer);
  sqlite3_close(m_db);
}

void FoldingTokenizer::Tokenize(std::string_view text,
                                const std::function<bool(const Token&)>& visit) const {
  // Texts are pages and queries, far below the tokenizer's int limit; anything
  // beyond it is left unread rather than wrapped.
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
  m_methods->xTokenize(m_tokenizer, const_cast<std::function<bool(const Token&)>*>(&visit),
                       FTS5_TOKENIZE_DOCUMENT, text.data(), length, OnToken);
}

std::vector<std::string> FoldingTokenizer::Words(std::string_view text) const {
  std::vector<std::string> words;
  Tokenize(text, [&](const Token& token) {
    words.emplace_back(token.folded);
    return true;
  });
  return words;
}

std::string FoldingTokenizer::Folded(std::string_view text) const {
  std::string folded;
  Tokenize(text, [&](const Token& token) {
    if (!folded.empty()) folded += ' ';
    folded += token.folded;
    return true;
  });
  return folded;
}

}  // namespace search
