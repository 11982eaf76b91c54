// The tables of an index file, shared by the writer and the readers.
//
//   meta(key, value)     format, the archive's identity, the common title suffix
//   pages(id, path, title, head, rest)
//                        one row per HTML topic: path, title as shown, visible
//                        text packed with zlib (for snippets) in two parts: the
//                        first kPageHead bytes or so, where snippets mostly are,
//                        and the rest
//   text                 FTS5 over title, symbols (anchor names and the file's
//                        stem), headings and body; contentless: pages keeps the
//                        text
//   names(name, kind, page)
//                        FTS5 over each title and each symbol-like anchor, with
//                        prefix indexes, for suggestions and title matches
#pragma once

#include <cstddef>

namespace search {

// Raised whenever the tables or what goes into them change: older indexes are
// then built again.
inline constexpr int kIndexFormat = 2;

inline constexpr std::size_t kPageHead = 4096;

enum class NameKind { Title = 0, Symbol = 1 };

// The rank function of "text": bm25 with weights for its columns, so that a word
// in the title counts most, then in symbols, headings and the body.
inline constexpr const char* kTextRank = "bm25(12.0, 8.0, 3.0, 1.0)";

}  // namespace search
