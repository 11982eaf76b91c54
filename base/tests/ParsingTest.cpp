// vxs::Parsing: the same scanner over standard strings, with vxs::Exception.
#include <gtest/gtest.h>

#include "base/KelException.h"
#include "base/Parsing.h"

namespace {

TEST(ParsingTest, ReadsFromItsOwnCopy) {
  std::string text = "FirmCode:0x1A::Manual";
  vxs::Parsing p(text);
  text.clear();
  p.SetPosition(9);
  EXPECT_EQ(p.ReadNumber(0, 0xFFFFF), 26u);
  EXPECT_EQ(p.GetPosition(), 13u);
  EXPECT_EQ(p.GetText().substr(p.GetPosition()), "::Manual");
}

TEST(ParsingTest, ErrorsAreStandardExceptionsWithTheToken) {
  vxs::Parsing p("x7 rest");
  try {
    p.ReadDecimal(0, 0);
    FAIL();
  } catch (const vxs::Exception& e) {
    EXPECT_EQ(e.code, 2020u);
    EXPECT_EQ(e.arg1, "x7");
  }
}

TEST(ParsingTest, HexEscapeOfAUrl) {
  vxs::Parsing hex("4g");
  EXPECT_EQ(hex.ReadNumber(2, 255), 4u);
  vxs::Parsing notHex("zz");
  EXPECT_THROW(notHex.ReadNumber(2, 255), vxs::Exception);
}

TEST(ParsingTest, EmbeddedZeroEndsTheText) {
  vxs::Parsing p(std::string("12\0" "34", 5));
  EXPECT_EQ(p.ReadDecimal(0, 0), 12u);
  EXPECT_TRUE(p.AtEnd());
  p.SetPosition(100);
  EXPECT_EQ(p.GetPosition(), 2u);
}

// A grammar derived from the scanner, as the reader's URL grammar is.
class ListGrammar : public vxs::Parsing {
 public:
  using vxs::Parsing::Parsing;
  std::vector<std::string> Items() {
    std::vector<std::string> items;
    std::string item;
    while (SkipBlanks() != 0) {
      ReadString(item, 1 | 0x10, 10);
      items.push_back(item);
    }
    return items;
  }
};

TEST(ParsingTest, DerivedGrammarUsesThePrimitives) {
  ListGrammar g(R"(one "two three" four)");
  EXPECT_EQ(g.Items(), (std::vector<std::string>{"one", "two three", "four"}));
  ListGrammar tooLong("abcdefghijkl");
  EXPECT_THROW(tooLong.Items(), vxs::Exception);
}

}  // namespace
