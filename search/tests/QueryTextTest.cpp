// Queries as typed turned into FTS5 expressions; titles and anchors as
// documentation generators write them.
#include <gtest/gtest.h>

#include "search/SearchQuery.h"
#include "search/SymbolNames.h"
#include "search/TitleText.h"

namespace search {
namespace {

TEST(SearchQuery, ExpressionsQuoteEveryWord) {
  const FoldingTokenizer tokenizer;
  const struct {
    const char* typed;
    const char* all;
    const char* any;
  } cases[] = {
      {"Café Crème", "\"cafe\" AND \"creme\" *", "\"cafe\" OR \"creme\" *"},
      {"one two ", "\"one\" AND \"two\"", "\"one\" OR \"two\""},
      {"\"control flow\" tools ", "\"control\" + \"flow\" AND \"tools\"", "\"control\" + \"flow\" OR \"tools\""},
      {"\"unclosed phrase", "\"unclosed\" + \"phrase\"", "\"unclosed\" + \"phrase\""},
      {"4.2. Input and Output ", "\"input\" AND \"and\" AND \"output\"", "\"input\" OR \"and\" OR \"output\""},
      // FTS5 syntax in the words is only text.
      {"NEAR(a b) OR x* - ^y: \"", "\"near\" AND \"a\" AND \"b\" AND \"or\" AND \"x\" AND \"y\"",
       "\"near\" OR \"a\" OR \"b\" OR \"or\" OR \"x\" OR \"y\""},
      {"  ;;; ", "", ""},
  };
  for (const auto& c : cases) {
    const SearchQuery query(c.typed, tokenizer);
    EXPECT_EQ(query.Expression(true), c.all) << c.typed;
    EXPECT_EQ(query.Expression(false), c.any) << c.typed;
  }
  EXPECT_EQ(SearchQuery("os.pa", tokenizer).Expression(true, "name"), "name : (\"os\" AND \"pa\" *)");
}

TEST(SearchQuery, TrailingSiteNameIsDropped) {
  const FoldingTokenizer tokenizer;
  const std::vector<std::string> site = {"python", "3", "11", "2", "documentation"};
  const struct {
    const char* typed;
    std::vector<std::string> words;
  } cases[] = {
      {"os.path — Python 3.11.2 documentation ", {"os", "path"}},
      {"os.path — Python 3.11.2 docu", {"os", "path"}},
      {"Python 3.11.2 documentation", {"python", "3", "11", "2", "documentation"}},
      {"documentation of python", {"documentation", "of", "python"}},
  };
  for (const auto& c : cases) {
    SearchQuery query(c.typed, tokenizer);
    query.DropTrailingWords(site);
    EXPECT_EQ(query.Words(), c.words) << c.typed;
  }
}

TEST(TitleText, SuffixesNumbersAndLeadingParts) {
  EXPECT_EQ(CommonTitleSuffix({"a — Site 1", "b — Site 1", "c - x — Site 1", "d"}), " — Site 1");
  EXPECT_EQ(CommonTitleSuffix({"a — Site 1", "b — Other", "c", "d"}), "");
  EXPECT_EQ(CommonTitleSuffix({"only — one"}), "");
  EXPECT_EQ(WithoutSuffix("a — Site", " — Site"), "a");
  EXPECT_EQ(WithoutSuffix(" — Site", " — Site"), " — Site");
  const std::pair<const char*, const char*> numbers[] = {
      {"4. More Control Flow", "More Control Flow"}, {"4.2. Input", "Input"},
      {"A.1. Appendix", "Appendix"},                 {"3.11.2 Documentation", "3.11.2 Documentation"},
      {"2to3 — tool", "2to3 — tool"},                {"42.", "42."},
      {"E. coli", "coli"},                           {"x. y", "x. y"}};
  for (const auto& [title, plain] : numbers) EXPECT_EQ(WithoutSectionNumber(title), plain) << title;
  EXPECT_EQ(LeadingPart("json — JSON encoder | x"), "json");
  EXPECT_EQ(LeadingPart("no separator"), "");
}

TEST(SymbolNames, GeneratedAnchorsAndSymbols) {
  for (const char* anchor : {"index-12", "id3", "footnote-2", "x_7"}) EXPECT_TRUE(IsGeneratedAnchor(anchor)) << anchor;
  for (const char* anchor : {"os.path", "index", "v2.1", "a-b"}) EXPECT_FALSE(IsGeneratedAnchor(anchor)) << anchor;
  for (const char* anchor : {"os.path.join", "PyList_New", "Array.prototype.map()", "print", "$x"})
    EXPECT_TRUE(IsSymbolName(anchor)) << anchor;
  for (const char* anchor : {"more-control-flow", "id3", "2nd", "", "a b"}) EXPECT_FALSE(IsSymbolName(anchor)) << anchor;
  EXPECT_EQ(SymbolOf("module-os.path"), "os.path");
  EXPECT_EQ(SymbolOf("module-"), "module-");
}

}  // namespace
}  // namespace search
