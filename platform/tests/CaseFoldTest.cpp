#include "platform/CaseFold.h"

#include <gtest/gtest.h>

TEST(CaseFold, FoldsAsciiLatinGreekAndCyrillicLettersOnly) {
  EXPECT_EQ(FoldCase("Software\\Classes"), "SOFTWARE\\CLASSES");
  EXPECT_EQ(FoldCase("äöüÿ ßé"), "ÄÖÜŸ ßÉ");
  EXPECT_EQ(FoldCase("łódź ščž"), "ŁÓDŹ ŠČŽ");
  EXPECT_EQ(FoldCase("αβγ ς ώ"), "ΑΒΓ Σ Ώ");
  EXPECT_EQ(FoldCase("привет ёж"), "ПРИВЕТ ЁЖ");
  EXPECT_TRUE(EqualNoCase("Documents\\Manual", "DOCUMENTS\\manual"));
  EXPECT_FALSE(EqualNoCase("Manual", "Manuel"));
  // Other bytes and malformed text stay as they are.
  EXPECT_EQ(FoldCase("日本 😀 _-[]"), "日本 😀 _-[]");
  const std::string broken("a\xC3\xFF\x80z", 5);
  EXPECT_EQ(FoldCase(broken), std::string("A\xC3\xFF\x80Z", 5));
  EXPECT_EQ(FoldCase(std::string("\xC3", 1)), std::string("\xC3", 1));
}
