// Blanks, tokens, keywords, numbers, byte strings and GUIDs.
#include <gtest/gtest.h>

#include "ParseTestSupport.h"
#include "base/KelParse.h"
#include "platform/FileApis.h"

namespace {

TEST(BlanksTest, SpaceAndTabAreBlanks) {
  CKelParse p(" \t x");
  EXPECT_EQ(p.SkipBlanks(), 'x');
  EXPECT_STREQ(p.GetCursor(), "x");
}

TEST(BlanksTest, NoBreakSpaceSeparatesWordsOnlyWithAnsiFileFunctions) {
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
}

TEST(BlanksTest, Utf8NoBreakSpaceIsOneBlankButAccentedLettersAreNot) {
  CKelParse p("a\xC2\xA0" "b");
  p.SetCursor(p.GetCursor() + 1);
  EXPECT_EQ(p.SkipBlanks(), 'b');
  // "à" is C3 A0: its second byte is no blank.
  const char word[] = "voil\xC3\xA0 x";
  CKelParse q(word);
  q.SetTokenStart(word);
  EXPECT_EQ(q.GetToken(1), "voil\xC3\xA0");
}

TEST(TokenTest, MarkTokenEndModes) {
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
}

TEST(TokenTest, ThrowAtTokenCarriesTokenAndSecondArgument) {
  const char text[] = "bad rest";
  CKelParse p(text);
  p.SetTokenStart(text);
  p.MarkTokenEnd(1);
  try {
    p.ThrowAtToken(2023, "two");
    FAIL();
  } catch (CKelException* e) {
    std::unique_ptr<CKelException> owned(e);
    EXPECT_EQ(e->m_code, 2023u);
    EXPECT_EQ(e->m_arg1, "bad");
    EXPECT_EQ(e->m_arg2, "two");
  }
}

TEST(KeywordTest, AbbreviationsSelectTheirKeyword) {
  CKelParse reg("reg"), r("r"), whole("unregserver");
  EXPECT_EQ(reg.ReadKeyword("regserver\tunregserver", 0), 1);
  EXPECT_EQ(r.ReadKeyword("regserver\tunregserver", 0), 1);
  EXPECT_EQ(whole.ReadKeyword("regserver\tunregserver", 0), 2);
}

TEST(KeywordTest, UnknownWordLeavesTheCursorOnIt) {
  CKelParse p("  x y");
  EXPECT_EQ(p.ReadKeyword("regserver\tunregserver", 1), -1);
  EXPECT_STREQ(p.GetCursor(), "x y");
}

TEST(KeywordTest, NoWordGivesZero) {
  CKelParse p("  123");
  EXPECT_EQ(p.ReadKeyword("a\tb", 1), 0);
  CKelParse end("");
  EXPECT_EQ(end.ReadKeyword("a\tb", 1), 0);
}

TEST(KeywordTest, SharedAbbreviationIsAmbiguous) {
  CKelParse p("li more");
  EXPECT_EQ(CatchError([&] { p.ReadKeyword("list\tlink", 0); }), (SyntaxError{2025, "li", ""}));
}

TEST(KeywordTest, WholeKeywordWinsOverLongerOnes) {
  CKelParse p("li");
  EXPECT_EQ(p.ReadKeyword("link\tli\tlist", 0), 2);
}

TEST(KeywordTest, WholeWordFlagRefusesAbbreviations) {
  CKelParse p("reg");
  EXPECT_EQ(p.ReadKeyword("regserver", 4), -1);
}

TEST(KeywordTest, CaseIgnoredDigitsOnlyWithFlagAndBlanksSkipped) {
  CKelParse p("  ReGServer  next");
  EXPECT_EQ(p.ReadKeyword("regserver", 1), 1);
  EXPECT_STREQ(p.GetCursor(), "next");
  CKelParse digits("v2x");
  EXPECT_EQ(digits.ReadKeyword("v\tv2x", 2 | 4), 2);
  CKelParse letters("v2x");
  EXPECT_EQ(letters.ReadKeyword("v\tv2x", 4), 1);
  EXPECT_STREQ(letters.GetCursor(), "2x");
}

TEST(KeywordTest, KeepsAtMost32Letters) {
  const std::string word(40, 'a');
  CKelParse p(word.c_str());
  EXPECT_EQ(p.ReadKeyword(std::string(32, 'a'), 4), 1);
  EXPECT_TRUE(p.AtEnd());
}

TEST(DecimalTest, LimitsOfUnsigned32) {
  CKelParse max("4294967295");
  EXPECT_EQ(max.ReadDecimal(0, 0), 4294967295u);
  CKelParse over("4294967296");
  EXPECT_EQ(CatchError([&] { over.ReadDecimal(0, 0); }), (SyntaxError{2005, "4294967296", ""}));
  CKelParse saturated("4294967296 x");
  EXPECT_EQ(saturated.ReadDecimal(4, 0), 4294967295u);
  CKelParse huge("99999999999999999999999999");
  EXPECT_EQ(huge.ReadDecimal(4, 0), 4294967295u);
}

TEST(DecimalTest, MaximumAndMissingDigits) {
  CKelParse p("256");
  EXPECT_EQ(CatchError([&] { p.ReadDecimal(0, 255); }).code, 2005u);
  CKelParse q("255");
  EXPECT_EQ(q.ReadDecimal(0, 255), 255u);
  CKelParse none("abc def");
  EXPECT_EQ(CatchError([&] { none.ReadDecimal(0, 0); }), (SyntaxError{2020, "abc", ""}));
  CKelParse saturatedAboveMaximum("99999999999");
  EXPECT_EQ(CatchError([&] { saturatedAboveMaximum.ReadDecimal(4, 10); }).code, 2005u);
}

TEST(DecimalTest, StopsAtFirstNonDigitAndSkipsBlanks) {
  CKelParse p("  7x");
  EXPECT_EQ(p.ReadDecimal(1, 0), 7u);
  EXPECT_STREQ(p.GetCursor(), "x");
  CKelParse q(" 12  z");
  EXPECT_EQ(q.ReadDecimal(1, 0), 12u);
  EXPECT_STREQ(q.GetCursor(), "z");
}

TEST(SignedTest, LimitsOfSigned32) {
  CKelParse min("-2147483648"), max("+2147483647");
  EXPECT_EQ(min.ReadSigned(0, 0), INT32_MIN);
  EXPECT_EQ(max.ReadSigned(0, 0), INT32_MAX);
  CKelParse low("-2147483649"), high("2147483648");
  EXPECT_EQ(CatchError([&] { low.ReadSigned(0, 0); }), (SyntaxError{2005, "-2147483649", ""}));
  EXPECT_EQ(CatchError([&] { high.ReadSigned(0, 0); }).code, 2005u);
  CKelParse lowSat("-99999999999"), highSat("99999999999");
  EXPECT_EQ(lowSat.ReadSigned(4, 0), INT32_MIN);
  EXPECT_EQ(highSat.ReadSigned(4, 0), INT32_MAX);
}

TEST(SignedTest, SignWithoutDigits) {
  CKelParse p("-x");
  EXPECT_EQ(CatchError([&] { p.ReadSigned(0, 0); }), (SyntaxError{2020, "-x", ""}));
}

TEST(NumberTest, HexOctalDecimal) {
  CKelParse hex("0x1F"), upper("0XfF"), octal("017"), decimal("017"), forced("1F");
  EXPECT_EQ(hex.ReadNumber(0, 0), 31u);
  EXPECT_EQ(upper.ReadNumber(0, 0), 255u);
  EXPECT_EQ(octal.ReadNumber(8, 0), 15u);
  EXPECT_EQ(decimal.ReadNumber(0, 0), 17u);
  EXPECT_EQ(forced.ReadNumber(2, 0), 31u);
  CKelParse octalStops("08");
  EXPECT_EQ(octalStops.ReadNumber(8, 0), 0u);
  EXPECT_STREQ(octalStops.GetCursor(), "8");
}

TEST(NumberTest, Errors) {
  CKelParse noHexDigits("0xZ");
  EXPECT_EQ(CatchError([&] { noHexDigits.ReadNumber(0, 0); }), (SyntaxError{2021, "0xZ", ""}));
  CKelParse forcedNoDigits("g");
  EXPECT_EQ(CatchError([&] { forcedNoDigits.ReadNumber(2, 255); }).code, 2021u);
  CKelParse overflow("0x100000000");
  EXPECT_EQ(CatchError([&] { overflow.ReadNumber(0, 0); }).code, 2005u);
  CKelParse saturated("0x100000000");
  EXPECT_EQ(saturated.ReadNumber(4, 0), 0xFFFFFFFFu);
  CKelParse aboveMaximum("0x100");
  EXPECT_EQ(CatchError([&] { aboveMaximum.ReadNumber(0, 255); }), (SyntaxError{2005, "0x100", ""}));
  CKelParse octalOverflow("077777777777");
  EXPECT_EQ(CatchError([&] { octalOverflow.ReadNumber(8, 0); }).code, 2005u);
}

TEST(HexBytesTest, AlignedToTheEndMostSignificantFirst) {
  BYTE buffer[4] = {9, 9, 9, 9};
  CKelParse p("ABC");
  EXPECT_EQ(p.ReadHexBytes(buffer, 4, 0), 2u);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(buffer[2], 0x0A);
  EXPECT_EQ(buffer[3], 0xBC);
}

TEST(HexBytesTest, ReadsAtMostTwiceCountDigits) {
  BYTE buffer[2];
  CKelParse p("123456");
  EXPECT_EQ(p.ReadHexBytes(buffer, 2, 0), 2u);
  EXPECT_EQ(buffer[0], 0x12);
  EXPECT_EQ(buffer[1], 0x34);
  EXPECT_STREQ(p.GetCursor(), "56");
}

TEST(HexBytesTest, AllDigitsRequiredWithFlag4) {
  BYTE buffer[2];
  CKelParse p("123 x");
  EXPECT_EQ(CatchError([&] { p.ReadHexBytes(buffer, 2, 4); }), (SyntaxError{2021, "123", ""}));
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

TEST(GuidTest, BracesRequiredWithFlag0x800) {
  GUID guid{};
  CKelParse p("00030002-0000-1101-8002-0000C06B5161");
  EXPECT_EQ(CatchError([&] { p.ReadGuid(guid, 0x800); }),
            (SyntaxError{2023, "00030002-0000-1101-8002-0000C06B5161", ""}));
}

TEST(GuidTest, MalformedGuids) {
  GUID guid{};
  CKelParse noDash("{00030002:0000-1101-8002-0000C06B5161}");
  EXPECT_EQ(CatchError([&] { noDash.ReadGuid(guid, 0); }).code, 2023u);
  CKelParse noClosingBrace("{00030002-0000-1101-8002-0000C06B5161");
  EXPECT_EQ(CatchError([&] { noClosingBrace.ReadGuid(guid, 0); }).code, 2023u);
  CKelParse emptyGroup("{00030002--1101-8002-0000C06B5161}");
  EXPECT_EQ(CatchError([&] { emptyGroup.ReadGuid(guid, 0); }), (SyntaxError{2021, "-1101-8002-0000C06B5161}", ""}));
  CKelParse emptyBytes("00030002-0000-1101--0000C06B5161");
  EXPECT_EQ(CatchError([&] { emptyBytes.ReadGuid(guid, 0); }).code, 2021u);
  CKelParse wideGroup("00030002-10000-1101-8002-0000C06B5161");
  EXPECT_EQ(CatchError([&] { wideGroup.ReadGuid(guid, 0); }), (SyntaxError{2005, "10000", ""}));
  CKelParse truncated("0003");
  EXPECT_EQ(CatchError([&] { truncated.ReadGuid(guid, 0); }).code, 2023u);
}

}  // namespace
