// The snippet of a result: a window of the page's text where the query's words
// stand closest together, with those words marked.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/FoldingTokenizer.h"
#include "search/SearchResult.h"

namespace search {

// WORDS are folded; the last one also matches as a prefix when LASTISPREFIX.
// COMPLETE (when given) tells whether every word was found in TEXT.
Snippet MakeSnippet(std::string_view text, const std::vector<std::string>& words,
                    bool lastIsPrefix, const FoldingTokenizer& tokenizer,
                    bool* complete = nullptr);

// The snippet as HTML: text escaped, marked words in <b>.
std::string SnippetHtml(const Snippet& snippet);

}  // namespace search
