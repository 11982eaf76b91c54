#include "catalog/FirmCodeKeyName.h"

#include <gtest/gtest.h>

namespace {

TEST(FirmCodeKeyName, WrittenInDecimalWithoutLeadingZeros) {
  EXPECT_EQ(stow::FirmCodeKeyName(10), "FC10");
  EXPECT_EQ(stow::FirmCodeKeyName(0), "FC0");
  EXPECT_EQ(stow::FirmCodeKeyName(4294967294u), "FC4294967294");
}

TEST(FirmCodeKeyName, ReadBackOnlyWhereItNamesAFirmCodeKey) {
  EXPECT_EQ(stow::ParseFirmCodeKeyName("FC10"), 10u);
  EXPECT_EQ(stow::ParseFirmCodeKeyName("fc10"), 10u);
  EXPECT_EQ(stow::ParseFirmCodeKeyName("Fc0"), 0u);
  EXPECT_EQ(stow::ParseFirmCodeKeyName("FC16777215"), 16777215u);
  for (const char* other : {"FC", "FCX", "FC16777216", "FC99999999999", "FC010", "FC+1", "FC-1",
                            "FC 1", "FC1 ", "FC1x", "F10", "Notes", "", "XFC1"})
    EXPECT_EQ(stow::ParseFirmCodeKeyName(other), std::nullopt) << other;
  EXPECT_EQ(stow::ParseFirmCodeKeyName(std::string_view("FC1\0", 4)), std::nullopt);
}

}  // namespace
