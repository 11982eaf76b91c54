#include "platform/Language.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(LanguageTest, LocaleNamesGiveWindowsLanguageIdsUnknownOnesEnglishInTheEnvironmentsOrder) {
  const std::pair<const char*, int> cases[] = {
      {"de_DE.UTF-8", 0x407}, {"de_AT", 0xC07}, {"fr_FR@euro", 0x40C}, {"zh_CN.UTF-8", 0x804},
      {"zh_TW", 0x404},       {"pt_BR", 0x416}, {"sv", 0x41D},         {"C", 0x409},
      {"POSIX", 0x409},       {"", 0x409},      {"xx_YY", 0x409},      {"dex", 0x409}};
  for (const auto& [locale, language] : cases)
    EXPECT_EQ(LangIdFromLocaleName(locale), language) << locale;
  EXPECT_EQ(LangIdFromLocaleName(nullptr), 0x409);
  // The user's language follows LC_ALL, LC_MESSAGES and LANG in this order.
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

}  // namespace
