// Name patterns matched as the original platform's file search matched them.
#include <gtest/gtest.h>

#include "platform/WildcardMatch.h"

namespace {

TEST(WildcardMatchTest, StarAndQuestionMark) {
  EXPECT_TRUE(MatchesWildcard("*.vxb", "manual.vxb"));
  EXPECT_TRUE(MatchesWildcard("a*.vxb", "abc.vxb"));
  EXPECT_FALSE(MatchesWildcard("a*.vxb", "bac.vxb"));
  EXPECT_TRUE(MatchesWildcard("m?n.vxb", "man.vxb"));
  EXPECT_FALSE(MatchesWildcard("m?n.vxb", "mn.vxb"));
  EXPECT_FALSE(MatchesWildcard("*.vxb", "manual.txt"));
  EXPECT_TRUE(MatchesWildcard("*a*b*c*", "xxaxxbxxcxx"));
  EXPECT_FALSE(MatchesWildcard("*a*b*c*", "xxcxxbxxaxx"));
}

TEST(WildcardMatchTest, CaseCountsAsInTheFileSystem) {
  EXPECT_FALSE(MatchesWildcard("*.VXB", "manual.vxb"));
  EXPECT_FALSE(MatchesWildcard("Manual.vxb", "manual.vxb"));
  EXPECT_TRUE(MatchesWildcard("Manual.vxb", "Manual.vxb"));
  EXPECT_FALSE(MatchesWildcard("ä*.vxb", "Äpfel.vxb"));
  EXPECT_TRUE(MatchesWildcard("Ä*.vxb", "Äpfel.vxb"));
}

TEST(WildcardMatchTest, NamesWithoutWildcardsMatchOnlyThemselves) {
  EXPECT_TRUE(MatchesWildcard("a.vxb", "a.vxb"));
  EXPECT_FALSE(MatchesWildcard("a.vxb", "a.vxbx"));
  EXPECT_FALSE(MatchesWildcard("a.vxb", "ba.vxb"));
}

TEST(WildcardMatchTest, StarDotStarMatchesEveryName) {
  EXPECT_TRUE(MatchesWildcard("*.*", "README"));
  EXPECT_TRUE(MatchesWildcard("*.*", "a.b.c"));
  EXPECT_TRUE(MatchesWildcard("*", ".hidden"));
}

TEST(WildcardMatchTest, StarBeforeDotStopsAtTheLastDot) {
  EXPECT_TRUE(MatchesWildcard("*.vxb", "a.b.vxb"));
  EXPECT_FALSE(MatchesWildcard("*.vxb", "a.vxb.bak"));
  EXPECT_TRUE(MatchesWildcard("*.", "README"));
  EXPECT_FALSE(MatchesWildcard("*.", "a.txt"));
  EXPECT_TRUE(MatchesWildcard("a*.", "abc"));
}

TEST(WildcardMatchTest, QuestionMarkAtTheEndMatchesNothingToo) {
  EXPECT_TRUE(MatchesWildcard("a?.txt", "a.txt"));
  EXPECT_TRUE(MatchesWildcard("a?.txt", "ab.txt"));
  EXPECT_FALSE(MatchesWildcard("a?.txt", "abc.txt"));
  EXPECT_TRUE(MatchesWildcard("file.??", "file.c"));
  EXPECT_TRUE(MatchesWildcard("file.??", "file.cc"));
  EXPECT_FALSE(MatchesWildcard("file.??", "file.ccc"));
}

TEST(WildcardMatchTest, QuestionMarkIsOneCharacterNotOneByte) {
  EXPECT_TRUE(MatchesWildcard("?.vxb", "é.vxb"));
  EXPECT_FALSE(MatchesWildcard("?.vxb", "ab.vxb"));
  EXPECT_TRUE(MatchesWildcard("a?c", "a€c"));
}

TEST(WildcardMatchTest, MalformedBytesCompareAsThemselves) {
  EXPECT_TRUE(MatchesWildcard("*.vxb", std::string("\xff\xfe.vxb")));
  EXPECT_TRUE(MatchesWildcard(std::string("\xff*"), std::string("\xff" "abc")));
  EXPECT_FALSE(MatchesWildcard(std::string("\xfe*"), std::string("\xff" "abc")));
}

TEST(WildcardMatchTest, ManyStarsStayFast) {
  const std::string pattern(200, '*');
  const std::string name(2000, 'a');
  EXPECT_FALSE(MatchesWildcard(pattern + "b", name));
}

TEST(WildcardMatchTest, HasWildcards) {
  EXPECT_TRUE(HasWildcards("*.vxb"));
  EXPECT_TRUE(HasWildcards("a?"));
  EXPECT_FALSE(HasWildcards("a.vxb"));
}

}  // namespace
