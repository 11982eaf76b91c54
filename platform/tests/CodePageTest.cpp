#include "platform/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, Cp1252ToUtf8MapsTheHighControlRangeAndEveryByteRoundTrips) {
  EXPECT_EQ(Cp1252ToUtf8("Manual"), "Manual");
  EXPECT_EQ(Cp1252ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");       // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x8A\x9F"), "\xC5\xA0\xC5\xB8");  // S caron, Y diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\x99"), "\xE2\x84\xA2");       // trade mark
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");           // undefined byte kept as U+0081
  // Every byte survives the round trip.
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  bool exact = false;
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &exact), all);
  EXPECT_TRUE(exact);
}

TEST(CodePage, Utf8ToCp1252ReplacesWhatTheCodePageLacksAndInvalidSequences) {
  bool exact = true;
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5", &exact), "\x80 5");
  EXPECT_TRUE(exact);
  EXPECT_EQ(Utf8ToCp1252("\xCE\xB1\xF0\x9F\x98\x80.", &exact), "??.");  // alpha, emoji
  EXPECT_FALSE(exact);
  // Invalid sequences are replaced byte by byte.
  exact = true;
  EXPECT_EQ(Utf8ToCp1252("a\xC3", &exact), "a?");            // cut short
  EXPECT_FALSE(exact);
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");                 // overlong '/'
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");            // surrogate
  EXPECT_EQ(Utf8ToCp1252("\x80x"), "?x");                    // stray continuation
  EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "????");       // beyond U+10FFFF
}

TEST(CodePage, LowersAsTheOriginalPlatform) {
  // Pairs of a byte and its lower case: the multiplication sign, sharp s (no capital
  // here) and the micro sign stay.
  const char* const pairs =
      "Aazz[[\xC0\xE0\xDE\xFE\xD7\xD7\xDF\xDF\x8A\x9A\x8C\x9C\x8E\x9E\x9F\xFF\xB5\xB5";
  for (const char* pair = pairs; *pair; pair += 2)
    EXPECT_EQ(Cp1252ToLower(pair[0]), pair[1]) << std::hex << (pair[0] & 0xFF);
  int changed = 0;
  for (int byte = 0; byte < 256; ++byte) changed += static_cast<unsigned char>(Cp1252ToLower(static_cast<char>(byte))) != byte;
  EXPECT_EQ(changed, 26 + 30 + 4);
}
