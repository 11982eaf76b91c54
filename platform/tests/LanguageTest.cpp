#include "platform/Language.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(LanguageTest, LocaleNamesGiveWindowsLanguageIds) {
  EXPECT_EQ(LangIdFromLocaleName("de_DE.UTF-8"), 0x407);
  EXPECT_EQ(LangIdFromLocaleName("de_AT"), 0xC07);
  EXPECT_EQ(LangIdFromLocaleName("fr_FR@euro"), 0x40C);
  EXPECT_EQ(LangIdFromLocaleName("zh_CN.UTF-8"), 0x804);
  EXPECT_EQ(LangIdFromLocaleName("zh_TW"), 0x404);
  EXPECT_EQ(LangIdFromLocaleName("pt_BR"), 0x416);
  EXPECT_EQ(LangIdFromLocaleName("sv"), 0x41D);
}

TEST(LanguageTest, UnknownAndNeutralLocalesAreEnglish) {
  EXPECT_EQ(LangIdFromLocaleName("C"), 0x409);
  EXPECT_EQ(LangIdFromLocaleName("POSIX"), 0x409);
  EXPECT_EQ(LangIdFromLocaleName(""), 0x409);
  EXPECT_EQ(LangIdFromLocaleName(nullptr), 0x409);
  EXPECT_EQ(LangIdFromLocaleName("xx_YY"), 0x409);
  EXPECT_EQ(LangIdFromLocaleName("dex"), 0x409);  // not "de"
}

TEST(LanguageTest, EnvironmentOrder) {
  setenv("LC_ALL", "", 1);
  setenv("LC_MESSAGES", "it_IT.UTF-8", 1);
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLangID(), 0x410);
  setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLangID(), 0x411);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
  EXPECT_EQ(GetUserDefaultLangID(), 0x409);
}

TEST(LanguageTest, PrimaryAndSublanguage) {
  EXPECT_EQ(PRIMARYLANGID(0x0C07), 0x07);
  EXPECT_EQ(SUBLANGID(0x0C07), 0x03);
  EXPECT_EQ(MAKELANGID(0x07, 0x03), 0x0C07);
}

}  // namespace
