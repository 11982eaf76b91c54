// ReadString: quoting, escapes, joined pieces, line breaks, limits and hooks.
#include <gtest/gtest.h>

#include "ParseTestSupport.h"
#include "base/KelParse.h"

namespace {

std::string Read(const char* text, unsigned flags = 0, std::size_t maxLength = 0) {
  CKelParse p(text);
  std::string out;
  p.ReadString(out, flags, maxLength);
  return out;
}

SyntaxError ReadError(const char* text, unsigned flags = 0, std::size_t maxLength = 0) {
  CKelParse p(text);
  std::string out;
  return CatchError([&] { p.ReadString(out, flags, maxLength); });
}

TEST(ReadStringTest, HexOctalAndLineEscapes) {
  EXPECT_EQ(Read(R"("\x41\101\n")"), "AA\r\n");
}

TEST(ReadStringTest, SimpleEscapes) {
  EXPECT_EQ(Read(R"("\"\'\?\\\a\b\f\r\t\v")"), "\"'?\\\a\b\f\r\t\v");
  EXPECT_EQ(Read(R"("\q\%")"), "q%");  // backslash dropped, character kept
}

TEST(ReadStringTest, NumericEscapeLimits) {
  EXPECT_EQ(Read(R"("\1012")"), "A2");       // at most three octal digits
  EXPECT_EQ(Read(R"("\777")"), "\xFF");      // the low 8 bits
  EXPECT_EQ(Read(R"("\x1234g")"), "4g");     // any number of hex digits, low 8 bits
  EXPECT_EQ(Read(R"("\x")"), std::string(1, '\0'));
}

TEST(ReadStringTest, UnquotedRunsToTheEndOrToABlank) {
  EXPECT_EQ(Read("a b c"), "a b c");
  EXPECT_EQ(Read("a\\tb"), "a\tb");
  CKelParse p("  one two");
  std::string out;
  p.ReadString(out, 1 | 0x10);
  EXPECT_EQ(out, "one");
  EXPECT_STREQ(p.GetCursor(), "two");
}

TEST(ReadStringTest, AdjacentQuotedPiecesAreJoined) {
  EXPECT_EQ(Read(R"("ab" "cd")", 1), "abcd");
  EXPECT_EQ(Read(R"("ab""cd")"), "abcd");
  CKelParse p(R"("ab" "cd")");
  std::string out;
  p.ReadString(out, 0);  // without flag 1 blanks do not join
  EXPECT_EQ(out, "ab");
  EXPECT_STREQ(p.GetCursor(), R"( "cd")");
}

TEST(ReadStringTest, LineBreaksBetweenAndInsidePieces) {
  EXPECT_EQ(Read("\"ab\"\r\n  \"cd\"", 1 | 0x40), "ab\r\ncd");
  EXPECT_EQ(Read("\"a\nb\rc\r\nd\n\re\"", 0x40), "a\r\nb\r\nc\r\nd\r\ne");
  CKelParse p("\"ab\"\n rest");
  std::string out;
  p.ReadString(out, 1 | 0x40);  // no piece follows: the line break stays
  EXPECT_EQ(out, "ab");
  EXPECT_STREQ(p.GetCursor(), "\n rest");
}

TEST(ReadStringTest, RawKeepsEscapesAndQuotes) {
  EXPECT_EQ(Read(R"("a\nb\"c")", 0x20), R"("a\nb\"c")");
  EXPECT_EQ(Read(R"(x\ty)", 0x20), R"(x\ty)");
}

TEST(ReadStringTest, MissingStrings) {
  EXPECT_EQ(ReadError("").code, 2024u);
  EXPECT_EQ(ReadError("   ", 1).code, 2024u);
  EXPECT_EQ(ReadError(" x", 0x10).code, 2024u);
}

TEST(ReadStringTest, QuotesRequired) {
  EXPECT_EQ(ReadError("abc def", 2), (SyntaxError{2023, "abc", ""}));
}

TEST(ReadStringTest, UnterminatedStringAndControlCharacters) {
  EXPECT_EQ(ReadError(R"("abc)"), (SyntaxError{2006, "\"abc", ""}));
  EXPECT_EQ(ReadError(R"("abc\)"), (SyntaxError{2006, "\"abc\\", ""}));
  EXPECT_EQ(ReadError("\"ab\x01" "cd\""), (SyntaxError{2006, "\"ab", ""}));
  EXPECT_EQ(ReadError("\"ab\ncd\""), (SyntaxError{2006, "\"ab", ""}));
  EXPECT_EQ(ReadError("ab\tcd"), (SyntaxError{2006, "ab", ""}));
  EXPECT_EQ(ReadError("\"ab\\\ncd\"").code, 2006u);  // an escaped line break is still one
}

TEST(ReadStringTest, MaximumLength) {
  EXPECT_EQ(Read(R"("abc")", 0, 3), "abc");
  EXPECT_EQ(ReadError(R"("abcd")", 0, 3), (SyntaxError{2007, "\"abcd", ""}));
  EXPECT_EQ(ReadError(R"(abcd)", 0, 3).code, 2007u);
  EXPECT_EQ(ReadError(R"("ab\n")", 0, 3).code, 2007u);
}

TEST(ReadStringTest, BytesAboveAsciiAreKept) {
  EXPECT_EQ(Read("\"gr\xC3\xBC\xC3\x9F\""), "gr\xC3\xBC\xC3\x9F");
}

// A string scanner that counts its hooks and knows one escape of its own.
class HookedParse : public CKelParse {
 public:
  using CKelParse::CKelParse;
  int begun = 0;
  int ended = 0;

 protected:
  bool BeginString(std::string&) override {
    ++begun;
    return true;
  }
  bool EndString(std::string&) override {
    ++ended;
    return true;
  }
  bool HandleEscape(std::string& out) override {
    if (*m_pCursor != 'e') return false;
    ++m_pCursor;
    out += "<euro>";
    return true;
  }
};

TEST(ReadStringTest, HooksSeeEveryStringAndEscape) {
  HookedParse p(R"("\e\n")");
  std::string out;
  EXPECT_TRUE(p.ReadString(out, 0));
  EXPECT_EQ(out, "<euro>\r\n");
  EXPECT_EQ(p.begun, 1);
  EXPECT_EQ(p.ended, 1);
}

TEST(ReadStringTest, EndStringIsCalledAfterAnError) {
  HookedParse p(R"("open)");
  std::string out;
  EXPECT_EQ(CatchError([&] { p.ReadString(out, 0); }).code, 2006u);
  EXPECT_EQ(p.ended, 1);
}

}  // namespace
