#include "archive/Crc16.h"

#include <gtest/gtest.h>

#include <string>

TEST(Crc16, MatchesTheArcCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc16(text.data(), text.size()), 0xBB3D);
  EXPECT_EQ(Crc16("", 0), 0);
  const unsigned char one = 1;
  EXPECT_EQ(Crc16(&one, 1), 0xC0C1);
}

TEST(Crc16, ContinuesAcrossPiecesAndVanishesOverItsStoredValue) {
  const std::string text = "VEXOBIFF record list";
  const std::uint16_t whole = Crc16(text.data(), text.size());
  EXPECT_EQ(Crc16(text.data() + 5, text.size() - 5, Crc16(text.data(), 5)), whole);
  std::string stored = text;
  stored += static_cast<char>(whole & 0xFF);
  stored += static_cast<char>(whole >> 8);
  EXPECT_EQ(Crc16(stored.data(), stored.size()), 0);
  stored += std::string(2, '\0');  // zero bytes behind a zero CRC keep it zero
  EXPECT_EQ(Crc16(stored.data(), stored.size()), 0);
}
