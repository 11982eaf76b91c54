#include "platform/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, Cp1252ToUtf8MapsLatinAndTheHighControlRange) {
  EXPECT_EQ(Cp1252ToUtf8("Manual"), "Manual");
  EXPECT_EQ(Cp1252ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");       // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x8A\x9F"), "\xC5\xA0\xC5\xB8");  // S caron, Y diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\x99"), "\xE2\x84\xA2");       // trade mark
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");           // undefined byte kept as U+0081
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  bool exact = false;
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &exact), all);
  EXPECT_TRUE(exact);
}

TEST(CodePage, Utf8ToCp1252ReplacesWhatTheCodePageLacks) {
  bool exact = true;
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5", &exact), "\x80 5");
  EXPECT_TRUE(exact);
  EXPECT_EQ(Utf8ToCp1252("\xCE\xB1\xF0\x9F\x98\x80.", &exact), "??.");  // alpha, emoji
  EXPECT_FALSE(exact);
}

TEST(CodePage, Utf8ToCp1252ReplacesInvalidSequencesByteByByte) {
  bool exact = true;
  EXPECT_EQ(Utf8ToCp1252("a\xC3", &exact), "a?");            // cut short
  EXPECT_FALSE(exact);
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");                 // overlong '/'
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");            // surrogate
  EXPECT_EQ(Utf8ToCp1252("\x80x"), "?x");                    // stray continuation
  EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "????");       // beyond U+10FFFF
}

TEST(CodePage, LowersAsTheOriginalPlatform) {
  EXPECT_EQ(Cp1252ToLower('A'), 'a');
  EXPECT_EQ(Cp1252ToLower('z'), 'z');
  EXPECT_EQ(Cp1252ToLower('['), '[');
  EXPECT_EQ(Cp1252ToLower('\xC0'), '\xE0');
  EXPECT_EQ(Cp1252ToLower('\xDE'), '\xFE');
  EXPECT_EQ(Cp1252ToLower('\xD7'), '\xD7');  // multiplication sign
  EXPECT_EQ(Cp1252ToLower('\xDF'), '\xDF');  // sharp s has no capital here
  EXPECT_EQ(Cp1252ToLower('\x8A'), '\x9A');
  EXPECT_EQ(Cp1252ToLower('\x8C'), '\x9C');
  EXPECT_EQ(Cp1252ToLower('\x8E'), '\x9E');
  EXPECT_EQ(Cp1252ToLower('\x9F'), '\xFF');
  EXPECT_EQ(Cp1252ToLower('\xB5'), '\xB5');  // micro sign stays
  int changed = 0;
  for (int byte = 0; byte < 256; ++byte) changed += static_cast<unsigned char>(Cp1252ToLower(static_cast<char>(byte))) != byte;
  EXPECT_EQ(changed, 26 + 30 + 4);
}
