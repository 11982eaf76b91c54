// The tables of an index file, shared by the writer and the readers.
//
//   meta(key, value)     format, the archive's identity, the common title suffix
//   pages(id, slot, path, title, head, rest)
//                        one row per HTML topic: its topic number, path, title
//                        as shown, and the first kSnippetText bytes or so of
//                        its visible text, where snippets are taken from: the
//                        first kPageHead bytes as they are (most snippets need
//                        no more), the rest packed with zlib
//   text                 FTS5 over title, symbols (anchor names and the file's
//                        stem), headings and body; contentless, and without the
//                        words' positions (detail=column), which would more than
//                        double its size: phrases are checked on the pages found
//   titles(name, pages), symbols(name, pages)
//                        FTS5 over each distinct title and each distinct
//                        symbol-like anchor, with prefix indexes, for
//                        suggestions and title matches. A name is kept once
//                        whatever the number of pages that carry it; PAGES
//                        lists their numbers (ascending, blank-separated, the
//                        first kPagesPerName). Rows are numbered shortest name
//                        first (then by first page), so that a match read in
//                        rowid order meets the names worth suggesting first
#pragma once

#include <cstddef>

namespace search {

// Raised whenever the tables or what goes into them change: older indexes are
// then built again.
inline constexpr int kIndexFormat = 6;

// Pages listed for one title or symbol: more are never candidates of a search.
inline constexpr std::size_t kPagesPerName = 200;

// Snippets are looked for in the first kPageHead bytes of a page's text, where
// the words mostly are, then in up to kSnippetText bytes; no more is kept.
inline constexpr std::size_t kPageHead = 2048;
inline constexpr std::size_t kSnippetText = 8192;

enum class NameKind { Title = 0, Symbol = 1 };

// How pages rank by their text: bm25 with weights for the columns, so that a
// word in the title counts most, then in symbols, headings and the body. (Not
// through FTS5's rank column: ordering by it compiles a statement per query.)
inline constexpr const char* kTextRank = "bm25(text, 12.0, 8.0, 3.0, 1.0)";

}  // namespace search
