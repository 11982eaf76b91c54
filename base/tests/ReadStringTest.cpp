// ReadString: quoting, escapes, joined pieces, line breaks, limits and hooks.
#include <gtest/gtest.h>

#include "ParseTestSupport.h"
#include "base/KelParse.h"

namespace {

struct StringCase {
  const char* name;
  const char* text;
  unsigned flags;
  std::size_t maxLength;
  std::string value;  // what is read, when no error is expected
  const char* rest;   // where the cursor stops (null: not checked)
  SyntaxError error;  // code 0: none expected
};

TEST(ReadStringTest, Table) {
  const StringCase cases[] = {
      {"hex, octal and line escapes", R"("\x41\101\n")", 0, 0, "AA\r\n", nullptr, {}},
      {"simple escapes", R"("\"\'\?\\\a\b\f\r\t\v")", 0, 0, "\"'?\\\a\b\f\r\t\v", nullptr, {}},
      {"unknown escape keeps the character", R"("\q\%")", 0, 0, "q%", nullptr, {}},
      {"three octal digits at most", R"("\1012")", 0, 0, "A2", nullptr, {}},
      {"octal keeps the low 8 bits", R"("\777")", 0, 0, "\xFF", nullptr, {}},
      {"hex keeps the low 8 bits", R"("\x1234g")", 0, 0, "4g", nullptr, {}},
      {"hex without digits", R"("\x")", 0, 0, std::string(1, '\0'), nullptr, {}},
      {"unquoted runs to the end", "a b c", 0, 0, "a b c", "", {}},
      {"unquoted escapes", "a\\tb", 0, 0, "a\tb", nullptr, {}},
      {"unquoted ends at a blank with 0x10", "  one two", 1 | 0x10, 0, "one", "two", {}},
      {"pieces joined across blanks", R"("ab" "cd")", 1, 0, "abcd", "", {}},
      {"adjacent pieces joined", R"("ab""cd")", 0, 0, "abcd", "", {}},
      {"blanks do not join without 1", R"("ab" "cd")", 0, 0, "ab", R"( "cd")", {}},
      {"line break between pieces", "\"ab\"\r\n  \"cd\"", 1 | 0x40, 0, "ab\r\ncd", "", {}},
      {"line breaks inside", "\"a\nb\rc\r\nd\n\re\"", 0x40, 0, "a\r\nb\r\nc\r\nd\r\ne", "", {}},
      {"line break without a piece stays", "\"ab\"\n rest", 1 | 0x40, 0, "ab", "\n rest", {}},
      {"raw keeps escapes and quotes", R"("a\nb\"c")", 0x20, 0, R"("a\nb\"c")", nullptr, {}},
      {"raw unquoted", R"(x\ty)", 0x20, 0, R"(x\ty)", nullptr, {}},
      {"at the maximum", R"("abc")", 0, 3, "abc", nullptr, {}},
      {"bytes above ASCII", "\"gr\xC3\xBC\xC3\x9F\"", 0, 0, "gr\xC3\xBC\xC3\x9F", nullptr, {}},
      {"empty text", "", 0, 0, "", nullptr, {2024, "", ""}},
      {"only blanks", "   ", 1, 0, "", nullptr, {2024, "", ""}},
      {"blank before unquoted with 0x10", " x", 0x10, 0, "", nullptr, {2024, "", ""}},
      {"quotes required", "abc def", 2, 0, "", nullptr, {2023, "abc", ""}},
      {"unterminated", R"("abc)", 0, 0, "", nullptr, {2006, "\"abc", ""}},
      {"unterminated escape", R"("abc\)", 0, 0, "", nullptr, {2006, "\"abc\\", ""}},
      {"control character", "\"ab\x01" "cd\"", 0, 0, "", nullptr, {2006, "\"ab", ""}},
      {"line break without 0x40", "\"ab\ncd\"", 0, 0, "", nullptr, {2006, "\"ab", ""}},
      {"tab unquoted", "ab\tcd", 0, 0, "", nullptr, {2006, "ab", ""}},
      {"escaped line break", "\"ab\\\ncd\"", 0, 0, "", nullptr, {2006, "\"ab\\", ""}},
      {"quoted too long", R"("abcd")", 0, 3, "", nullptr, {2007, "\"abcd", ""}},
      {"unquoted too long", "abcd", 0, 3, "", nullptr, {2007, "abcd", ""}},
      {"escape counts once", R"("ab\n")", 0, 3, "", nullptr, {2007, "\"ab\\n", ""}},
  };
  for (const StringCase& c : cases) {
    CKelParse p(c.text);
    std::string out;
    if (c.error.code != 0) {
      EXPECT_EQ(CatchError([&] { p.ReadString(out, c.flags, c.maxLength); }), c.error) << c.name;
      continue;
    }
    p.ReadString(out, c.flags, c.maxLength);
    EXPECT_EQ(out, c.value) << c.name;
    if (c.rest) {
      EXPECT_STREQ(p.GetCursor(), c.rest) << c.name;
    }
  }
}

// A string scanner that counts its hooks and knows one escape of its own.
class HookedParse : public CKelParse {
 public:
  using CKelParse::CKelParse;
  int begun = 0;
  int ended = 0;

 protected:
  bool BeginString(std::string&) override { return ++begun; }
  bool EndString(std::string&) override { return ++ended; }
  bool HandleEscape(std::string& out) override {
    if (*m_pCursor != 'e') return false;
    ++m_pCursor;
    out += "<euro>";
    return true;
  }
};

TEST(ReadStringTest, HooksSeeEveryStringAndEscapeEvenAfterAnError) {
  HookedParse p(R"("\e\n")");
  std::string out;
  EXPECT_TRUE(p.ReadString(out, 0));
  EXPECT_EQ(out, "<euro>\r\n");
  EXPECT_EQ(p.begun, 1);
  EXPECT_EQ(p.ended, 1);
  HookedParse open(R"("open)");
  EXPECT_EQ(CatchError([&] { open.ReadString(out, 0); }).code, 2006u);
  EXPECT_EQ(open.ended, 1);
}

}  // namespace
