// Name patterns matched as the original platform's file search matched them.
#include <gtest/gtest.h>

#include "platform/WildcardMatch.h"

namespace {

TEST(WildcardMatchTest, TableManyStarsAndHasWildcards) {
  const struct {
    std::string pattern, name;
    bool matches;
  } cases[] = {
      {"*.vxb", "manual.vxb", true},         {"a*.vxb", "abc.vxb", true},
      {"a*.vxb", "bac.vxb", false},          {"m?n.vxb", "man.vxb", true},
      {"m?n.vxb", "mn.vxb", false},          {"*.vxb", "manual.txt", false},
      {"*a*b*c*", "xxaxxbxxcxx", true},      {"*a*b*c*", "xxcxxbxxaxx", false},
      // Case counts as in the file system.
      {"*.VXB", "manual.vxb", false},        {"Manual.vxb", "manual.vxb", false},
      {"Manual.vxb", "Manual.vxb", true},    {"ä*.vxb", "Äpfel.vxb", false},
      {"Ä*.vxb", "Äpfel.vxb", true},
      // Names without wildcards match only themselves.
      {"a.vxb", "a.vxb", true},              {"a.vxb", "a.vxbx", false},
      {"a.vxb", "ba.vxb", false},
      // "*.*" matches every name; a star before a dot stops at the last dot.
      {"*.*", "README", true},               {"*.*", "a.b.c", true},
      {"*", ".hidden", true},                {"*.vxb", "a.b.vxb", true},
      {"*.vxb", "a.vxb.bak", false},         {"*.", "README", true},
      {"*.", "a.txt", false},                {"a*.", "abc", true},
      // A question mark at the end matches nothing too.
      {"a?.txt", "a.txt", true},             {"a?.txt", "ab.txt", true},
      {"a?.txt", "abc.txt", false},          {"file.??", "file.c", true},
      {"file.??", "file.cc", true},          {"file.??", "file.ccc", false},
      // A question mark is one character, not one byte; malformed bytes are themselves.
      {"?.vxb", "é.vxb", true},              {"?.vxb", "ab.vxb", false},
      {"a?c", "a€c", true},                  {"*.vxb", "\xff\xfe.vxb", true},
      {"\xff*", "\xff" "abc", true},         {"\xfe*", "\xff" "abc", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " on " << c.name;
  // Many stars stay fast.
  const std::string pattern(200, '*');
  const std::string name(2000, 'a');
  EXPECT_FALSE(MatchesWildcard(pattern + "b", name));
  EXPECT_TRUE(HasWildcards("*.vxb"));
  EXPECT_TRUE(HasWildcards("a?"));
  EXPECT_FALSE(HasWildcards("a.vxb"));
}

}  // namespace
