#include "base/MessageText.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "base/messages/MessageTable.h"

namespace {

std::string Substitute(const char* tmpl, std::initializer_list<const char*> args,
                       std::size_t destSize = 300) {
  std::string dest(destSize, 'X');
  std::size_t length =
      SubstitutePlaceholders(dest.data(), destSize, tmpl, std::data(args), args.size());
  EXPECT_EQ(length, std::strlen(dest.c_str()));
  return dest.c_str();
}

TEST(SubstitutePlaceholders, Table) {
  const struct {
    const char* tmpl;
    std::initializer_list<const char*> args;
    std::size_t destSize;
    const char* result;
  } cases[] = {
      {"file %1 not found", {"\"a b.vxb\""}, 300, "file \"a b.vxb\" not found"},
      {"%3-%2-%1", {"y", "m", "d"}, 300, "d-m-y"},
      {"%1%1", {"ab"}, 300, "abab"},
      {"a%4b", {"1", "2", "3"}, 300, "ab"},  // absent arguments give nothing
      {"a%2b", {"1", nullptr, "3"}, 300, "ab"},
      {"100%% sure", {}, 300, "100% sure"},  // '%' before another character writes it
      {"%0%x%a%%1", {"one"}, 300, "0xa%1"},
      {"%\xC3\xA9t\xC3\xA9", {}, 300, "\xC3\xA9t\xC3\xA9"},
      {"end%", {}, 300, "end"},
      {"abc%1def", {"123"}, 6, "abc12"},  // cut at the buffer
      {"abcd\xC3\xA9", {}, 6, "abcd"},     // without splitting a character
      {"x%1", {"\xE2\x82\xAC\xE2\x82\xAC"}, 6, "x\xE2\x82\xAC"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Substitute(c.tmpl, c.args, c.destSize), c.result) << c.tmpl;
  EXPECT_EQ(SubstitutePlaceholders(std::string("x%1y"), nullptr, 0), "xy");
  char one = 'X';
  EXPECT_EQ(SubstitutePlaceholders(&one, 1, "abc", nullptr, 0), 0u);
  EXPECT_EQ(one, '\0');
  std::string args[] = {"a", "b"};
  EXPECT_EQ(SubstitutePlaceholders(std::string("%2/%1/%3/%%"), args, 2), "b/a//%");
}

TEST(SubstitutePlaceholders, LettersStandForArgumentsTenToThirtyFive) {
  std::array<std::string, 35> texts;
  std::array<const char*, 35> args;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    texts[i] = "<" + std::to_string(i + 1) + ">";
    args[i] = texts[i].c_str();
  }
  char dest[100];
  SubstitutePlaceholders(dest, sizeof dest, "%9%A%B%Z", args.data(), 35);
  EXPECT_STREQ(dest, "<9><10><11><35>");
  SubstitutePlaceholders(dest, sizeof dest, "%J|%K", args.data(), 19);
  EXPECT_STREQ(dest, "<19>|");
}

class LoadMessageTextTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallMessageTable(); }
  void TearDown() override { SetMessageTable(nullptr); }
};

TEST_F(LoadMessageTextTest, SixTextsInARowStayValidAbsentTextsAreEmpty) {
  const char* texts[6];
  unsigned codes[6] = {1001, 1002, 1003, 1004, 1005, 1006};
  for (int i = 0; i < 6; ++i) texts[i] = LoadMessageText(codes[i]);
  EXPECT_STREQ(texts[0], "file %1 not found");
  EXPECT_STREQ(texts[5], "temporary file cannot be created");
  LoadMessageText(1014);  // the seventh reuses the first buffer
  EXPECT_STREQ(texts[0], "no more RAM available");
  EXPECT_STREQ(texts[1], "folder not found: %1");
  EXPECT_STREQ(LoadMessageText(1234), "");
  EXPECT_STREQ(LoadMessageText(0), "");
  SetMessageTable(nullptr);
  EXPECT_STREQ(LoadMessageText(1001), "");
}

std::string_view LongText(unsigned) {
  static const std::string text = std::string(254, 'a') + "\xC3\xA9" + "tail";
  return text;
}

TEST_F(LoadMessageTextTest, CutsLongTextsAt255BytesOnACharacterBoundary) {
  SetMessageTable(&LongText);
  EXPECT_EQ(std::string(LoadMessageText(1)), std::string(254, 'a'));
}

// Every line of every message file is a comment, empty, or NUMBER<TAB>TEXT whose
// text loads back unchanged; no number appears twice.
TEST_F(LoadMessageTextTest, EveryMessageFileLineLoadsBack) {
  std::set<unsigned> numbers;
  std::filesystem::path folder = std::filesystem::path(VXST_SOURCE_DIR) / "base" / "messages";
  for (const auto& file : std::filesystem::directory_iterator(folder)) {
    if (file.path().extension() != ".txt" || file.path().filename() == "CMakeLists.txt") continue;
    std::ifstream in(file.path());
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::size_t tab = line.find('\t');
      ASSERT_NE(tab, std::string::npos) << file.path() << ": " << line;
      ASSERT_EQ(line.find_first_not_of("0123456789"), tab) << line;
      unsigned number = std::stoul(line.substr(0, tab));
      EXPECT_TRUE(numbers.insert(number).second) << "twice: " << number;
      EXPECT_EQ(LoadMessageText(number), line.substr(tab + 1)) << number;
    }
  }
  // The error codes and composition texts of errors.txt.
  EXPECT_GE(numbers.size(), 125u);
}

}  // namespace
