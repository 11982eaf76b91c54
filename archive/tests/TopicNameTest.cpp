#include "archive/TopicName.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using stow::CandidatePaths;

std::vector<std::string> Candidates(std::string_view base, std::string_view request) {
  CandidatePaths candidates(base, request);
  std::vector<std::string> all;
  for (std::string path; candidates.Next(path);) all.push_back(path);
  return all;
}

TEST(TopicNameHash, FiveCharactersLoweredAndSigned) {
  // Values worked out by hand from the hash's definition.
  EXPECT_EQ(stow::TopicNameHash("index.htm"), 1974204872u);
  EXPECT_EQ(stow::TopicNameHash("a"), 1283898529u);
  EXPECT_EQ(stow::TopicNameHash("\xE9"), stow::TopicNameHash("\xC9"));  // é and É
  EXPECT_EQ(stow::TopicNameHash("caf\xE9.htm"), 1463915156u);          // bytes above 0x7F are negative
  EXPECT_EQ(stow::TopicNameHash("\x8A\x8C"), 1385643324u);             // Š Œ lower to š œ
}

TEST(TopicNameHash, HomeSlotOfUtf8PathsUsesWindows1252) {
  EXPECT_EQ(stow::HomeSlot("index.htm", 23), 10u);
  EXPECT_EQ(stow::HomeSlot("Index.HTM", 23), 10u);
  EXPECT_EQ(stow::HomeSlot("caf\xC3\xA9.htm", 23), 1463915156u % 23);
  EXPECT_EQ(stow::HomeSlot("CAF\xC3\x89.HTM", 23), 1463915156u % 23);
  // A character the code page lacks hashes as '?'.
  EXPECT_EQ(stow::HomeSlot("\xD0\x96", 1000003), stow::HomeSlot("?", 1000003));
}

TEST(TopicNameCompare, CaseIsIgnoredAsWindows1252LowersIt) {
  EXPECT_TRUE(stow::TopicNamesEqual(u"Guide/Index.HTM", u"guide/index.htm"));
  EXPECT_TRUE(stow::TopicNamesEqual(u"\u00DCmlaut/CAF\u00C9.htm", u"\u00FCmlaut/caf\u00E9.HTM"));
  EXPECT_TRUE(stow::TopicNamesEqual(u"\u0160\u0178", u"\u0161\u00FF"));  // Š Ÿ, š ÿ
  EXPECT_FALSE(stow::TopicNamesEqual(u"a.htm", u"b.htm"));
  EXPECT_FALSE(stow::TopicNamesEqual(u"a.htm", u"a.html"));
  EXPECT_FALSE(stow::TopicNamesEqual(u"\u00D7", u"\u00F7"));  // × and ÷ are no pair
  EXPECT_EQ(stow::LowerTopicChar(u'\u0416'), u'\u0416');      // outside the code page
}

TEST(TopicNameText, Utf8AndUtf16RoundTrip) {
  const std::string text = "caf\xC3\xA9/\xC3\x9Cmlaut/\xE2\x82\xAC/\xF0\x9F\x93\x96.htm";
  const std::u16string wide = stow::Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"caf\u00E9/\u00DCmlaut/\u20AC/\U0001F4D6.htm");
  EXPECT_EQ(stow::Utf16ToUtf8(wide), text);
  EXPECT_EQ(stow::Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(stow::Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");  // cut short
  EXPECT_EQ(stow::Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");   // lone surrogate
}

TEST(CandidatePathsTest, TheRequestAsWrittenThenTheBasePathAndEachParent) {
  EXPECT_EQ(Candidates("a/b", "x"), (std::vector<std::string>{"x", "a/b/x", "a/x"}));
  EXPECT_EQ(Candidates("a", "x/y.htm"), (std::vector<std::string>{"x/y.htm", "a/x/y.htm"}));
  EXPECT_EQ(Candidates("", "x"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(Candidates("a/b/c", "x"), (std::vector<std::string>{"x", "a/b/c/x", "a/b/x", "a/x"}));
  CandidatePaths candidates("a", "x");
  std::string path;
  ASSERT_TRUE(candidates.Next(path));
  EXPECT_TRUE(candidates.AsWritten());
  ASSERT_TRUE(candidates.Next(path));
  EXPECT_FALSE(candidates.AsWritten());
}

}  // namespace
