// Blanks, tokens, keywords, numbers, byte strings and GUIDs.
#include <gtest/gtest.h>

#include "ParseTestSupport.h"
#include "base/KelParse.h"
#include "base/tests/CaughtException.h"
#include "platform/FileApis.h"

#include <vector>

namespace {

TEST(BlanksTest, SpaceTabAndNoBreakSpaceOnlyWithAnsiFileFunctions) {
  CKelParse blanks(" \t x");
  EXPECT_EQ(blanks.SkipBlanks(), 'x');
  EXPECT_STREQ(blanks.GetCursor(), "x");
  const char text[] = "reg\xA0unreg";
  {
    CKelParse p(text);
    EXPECT_EQ(p.ReadKeyword("reg\tunreg", 1 | 4), 1);
    EXPECT_STREQ(p.GetCursor(), "unreg");
  }
  SetFileApisToOEM();
  {
    CKelParse p(text);
    EXPECT_EQ(p.ReadKeyword("reg\tunreg", 1 | 4), 1);
    EXPECT_STREQ(p.GetCursor(), "\xA0unreg");  // a letter in the OEM code page
    p.SetTokenStart(text);
    EXPECT_EQ(p.GetToken(1), text);
  }
  SetFileApisToANSI();
  // The UTF-8 no-break space is one blank, but accented letters are none.
  CKelParse p("a\xC2\xA0" "b");
  p.SetCursor(p.GetCursor() + 1);
  EXPECT_EQ(p.SkipBlanks(), 'b');
  // "à" is C3 A0: its second byte is no blank.
  const char word[] = "voil\xC3\xA0 x";
  CKelParse q(word);
  q.SetTokenStart(word);
  EXPECT_EQ(q.GetToken(1), "voil\xC3\xA0");
}

TEST(TokenTest, MarkTokenEndModesAndThrowAtToken) {
  const char text[] = "abc def";
  CKelParse p(text);
  p.SetTokenStart(text);
  EXPECT_EQ(p.GetToken(1), "abc");
  p.MarkTokenEnd(0);
  EXPECT_EQ(p.GetToken(0), "abc def");
  p.SetCursor(text + 2);
  EXPECT_EQ(p.GetToken(2), "ab");
  EXPECT_EQ(p.GetToken(3), "ab");
  p.SetCursor(text + 6);
  EXPECT_EQ(p.GetToken(3), "abc");
  const char bad[] = "bad rest";
  CKelParse q(bad);
  q.SetTokenStart(bad);
  q.MarkTokenEnd(1);
  EXPECT_EQ(Thrown([&] { q.ThrowAtToken(2023, "two"); }), "2023 bad | two | ");
}

struct KeywordCase {
  const char* text;
  const char* keywords;
  unsigned flags;
  int index;
  const char* rest;  // null: not checked
};

TEST(KeywordTest, Table) {
  const KeywordCase cases[] = {
      {"reg", "regserver\tunregserver", 0, 1, ""},
      {"r", "regserver\tunregserver", 0, 1, ""},
      {"unregserver", "regserver\tunregserver", 0, 2, ""},
      {"  x y", "regserver\tunregserver", 1, -1, "x y"},  // unknown: cursor on the word
      {"  123", "a\tb", 1, 0, nullptr},
      {"", "a\tb", 1, 0, nullptr},
      {"li", "link\tli\tlist", 0, 2, ""},  // the whole keyword wins over longer ones
      {"reg", "regserver", 4, -1, nullptr},  // whole words only
      {"  ReGServer  next", "regserver", 1, 1, "next"},
      {"v2x", "v\tv2x", 2 | 4, 2, ""},
      {"v2x", "v\tv2x", 4, 1, "2x"},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 4, 1, ""},
  };
  for (const KeywordCase& c : cases) {
    CKelParse p(c.text);
    EXPECT_EQ(p.ReadKeyword(c.keywords, c.flags), c.index) << c.text << " in " << c.keywords;
    if (c.rest) {
      EXPECT_STREQ(p.GetCursor(), c.rest) << c.text;
    }
  }
  CKelParse shared("li more");
  EXPECT_EQ(CatchError([&] { shared.ReadKeyword("list\tlink", 0); }), (SyntaxError{2025, "li", ""}));
}

enum class Reader { Decimal, Signed, Number };

struct NumberCase {
  Reader reader;
  const char* text;
  unsigned flags;
  unsigned maximum;
  std::int64_t value;  // when no error
  const char* rest;    // null: not checked
  SyntaxError error;
};

TEST(NumberTest, Table) {
  const NumberCase cases[] = {
      {Reader::Decimal, "4294967295", 0, 0, 4294967295, "", {}},
      {Reader::Decimal, "4294967296", 0, 0, 0, nullptr, {2005, "4294967296", ""}},
      {Reader::Decimal, "4294967296 x", 4, 0, 4294967295, nullptr, {}},
      {Reader::Decimal, "99999999999999999999999999", 4, 0, 4294967295, nullptr, {}},
      {Reader::Decimal, "256", 0, 255, 0, nullptr, {2005, "256", ""}},
      {Reader::Decimal, "255", 0, 255, 255, nullptr, {}},
      {Reader::Decimal, "abc def", 0, 0, 0, nullptr, {2020, "abc", ""}},
      {Reader::Decimal, "99999999999", 4, 10, 0, nullptr, {2005, "99999999999", ""}},
      {Reader::Decimal, "  7x", 1, 0, 7, "x", {}},
      {Reader::Decimal, " 12  z", 1, 0, 12, "z", {}},
      {Reader::Signed, "-2147483648", 0, 0, INT32_MIN, nullptr, {}},
      {Reader::Signed, "+2147483647", 0, 0, INT32_MAX, nullptr, {}},
      {Reader::Signed, "-2147483649", 0, 0, 0, nullptr, {2005, "-2147483649", ""}},
      {Reader::Signed, "2147483648", 0, 0, 0, nullptr, {2005, "2147483648", ""}},
      {Reader::Signed, "-99999999999", 4, 0, INT32_MIN, nullptr, {}},
      {Reader::Signed, "99999999999", 4, 0, INT32_MAX, nullptr, {}},
      {Reader::Signed, "-x", 0, 0, 0, nullptr, {2020, "-x", ""}},
      {Reader::Number, "0x1F", 0, 0, 31, nullptr, {}},
      {Reader::Number, "0XfF", 0, 0, 255, nullptr, {}},
      {Reader::Number, "017", 8, 0, 15, nullptr, {}},
      {Reader::Number, "017", 0, 0, 17, nullptr, {}},
      {Reader::Number, "1F", 2, 0, 31, nullptr, {}},
      {Reader::Number, "08", 8, 0, 0, "8", {}},
      {Reader::Number, "0xZ", 0, 0, 0, nullptr, {2021, "0xZ", ""}},
      {Reader::Number, "g", 2, 255, 0, nullptr, {2021, "g", ""}},
      {Reader::Number, "0x100000000", 0, 0, 0, nullptr, {2005, "0x100000000", ""}},
      {Reader::Number, "0x100000000", 4, 0, 0xFFFFFFFF, nullptr, {}},
      {Reader::Number, "0x100", 0, 255, 0, nullptr, {2005, "0x100", ""}},
      {Reader::Number, "077777777777", 8, 0, 0, nullptr, {2005, "077777777777", ""}},
  };
  for (const NumberCase& c : cases) {
    CKelParse p(c.text);
    auto read = [&]() -> std::int64_t {
      switch (c.reader) {
        case Reader::Decimal: return p.ReadDecimal(c.flags, c.maximum);
        case Reader::Signed: return p.ReadSigned(c.flags, c.maximum);
        default: return p.ReadNumber(c.flags, c.maximum);
      }
    };
    if (c.error.code != 0) {
      EXPECT_EQ(CatchError(read), c.error) << c.text << " flags " << c.flags;
      continue;
    }
    EXPECT_EQ(read(), c.value) << c.text << " flags " << c.flags;
    if (c.rest) {
      EXPECT_STREQ(p.GetCursor(), c.rest) << c.text;
    }
  }
}

TEST(HexBytesTest, AlignedToTheEndAtMostTwiceCountDigitsAllWithFlag4) {
  BYTE buffer[4] = {9, 9, 9, 9};
  CKelParse p("ABC");
  EXPECT_EQ(p.ReadHexBytes(buffer, 4, 0), 2u);
  EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 4), (std::vector<BYTE>{0, 0, 0x0A, 0xBC}));
  CKelParse q("123456");
  EXPECT_EQ(q.ReadHexBytes(buffer, 2, 0), 2u);
  EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 2), (std::vector<BYTE>{0x12, 0x34}));
  EXPECT_STREQ(q.GetCursor(), "56");
  CKelParse r("123 x");
  EXPECT_EQ(CatchError([&] { r.ReadHexBytes(buffer, 2, 4); }), (SyntaxError{2021, "123", ""}));
}

constexpr GUID kArchiveType = {0x00030002, 0x0000, 0x1101, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

TEST(GuidTest, WithAndWithoutBraces) {
  GUID guid{};
  CKelParse braced("{00030002-0000-1101-8002-0000C06B5161} rest");
  braced.ReadGuid(guid, 0x800 | 1);
  EXPECT_EQ(guid, kArchiveType);
  EXPECT_STREQ(braced.GetCursor(), "rest");
  GUID plain{};
  CKelParse bare("00030002-0000-1101-8002-0000c06b5161");
  bare.ReadGuid(plain, 0);
  EXPECT_EQ(plain, kArchiveType);
  EXPECT_TRUE(bare.AtEnd());
}

TEST(GuidTest, MalformedGuids) {
  const struct {
    const char* text;
    unsigned flags;
    SyntaxError error;
  } cases[] = {
      {"00030002-0000-1101-8002-0000C06B5161", 0x800, {2023, "00030002-0000-1101-8002-0000C06B5161", ""}},
      {"{00030002:0000-1101-8002-0000C06B5161}", 0, {2023, "{00030002:0000-1101-8002-0000C06B5161}", ""}},
      {"{00030002-0000-1101-8002-0000C06B5161", 0, {2023, "{00030002-0000-1101-8002-0000C06B5161", ""}},
      {"{00030002--1101-8002-0000C06B5161}", 0, {2021, "-1101-8002-0000C06B5161}", ""}},
      {"00030002-0000-1101--0000C06B5161", 0, {2021, "-0000C06B5161", ""}},
      {"00030002-10000-1101-8002-0000C06B5161", 0, {2005, "10000", ""}},
      {"0003", 0, {2023, "0003", ""}},
  };
  for (const auto& c : cases) {
    GUID guid{};
    CKelParse p(c.text);
    EXPECT_EQ(CatchError([&] { p.ReadGuid(guid, c.flags); }), c.error) << c.text;
  }
}

}  // namespace
