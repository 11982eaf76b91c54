// The text the search index takes from pages, and queries as users type them.
// Input: a query, a zero byte, an HTML page in any character set. Extracted
// texts and snippets must be valid UTF-8, expressions must keep every word
// quoted, and snippet marks must lie inside the snippet, in order.
#include "fuzz/FuzzSupport.h"
#include "search/PageCharset.h"
#include "search/PageText.h"
#include "search/SearchQuery.h"
#include "search/Snippet.h"
#include "search/TitleText.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const search::FoldingTokenizer tokenizer;
  const std::string_view input = fuzz::Text(data, size);
  const std::size_t zero = input.find('\0');
  const std::string_view typed = input.substr(0, zero);
  const std::string_view page = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);

  const search::PageText text = search::ExtractPageText(page);
  Check(search::IsValidUtf8(text.title) && search::IsValidUtf8(text.body));
  for (const std::string& heading : text.headings) Check(search::IsValidUtf8(heading));
  for (const std::string& anchor : text.anchors) Check(search::IsValidUtf8(anchor));
  search::WithoutSectionNumber(text.title);
  search::LeadingPart(text.title);
  search::CommonTitleSuffix({text.title, text.title + " \xE2\x80\x94 x", std::string(typed)});

  search::SearchQuery query(typed, tokenizer);
  for (const std::string& expression :
       {query.Expression(true), query.Expression(false), query.Expression(true, "name", true)})
    Check(std::count(expression.begin(), expression.end(), '"') % 2 == 0);
  query.DropTrailingWords(tokenizer.Words(text.title));

  const bool prefix = !query.Terms().empty() && query.Terms().back().prefix;
  const search::Snippet snippet = search::MakeSnippet(text.body, query.Words(), prefix, tokenizer);
  Check(search::IsValidUtf8(snippet.text));
  std::size_t last = 0;
  for (const auto& [start, end] : snippet.marks) {
    Check(start >= last && start < end && end <= snippet.text.size());
    last = end;
  }
  search::SnippetHtml(snippet);
  return 0;
}
