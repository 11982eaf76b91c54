// GUID, version and date texts.
#include <gtest/gtest.h>

#include <map>

#include "base/DateTimeInit.h"
#include "base/KelFormat.h"
#include "base/MessageText.h"
#include "base/messages/MessageTable.h"

namespace {

constexpr GUID kGuid = {0x0003ABCD, 0x0E0F, 0x1101, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

TEST(FormatWithoutTableTest, GuidsInBracesAndUpperCaseVersionsInEnglish) {
  std::string text;
  EXPECT_EQ(FormatGuid(text, kGuid, true), 38u);
  EXPECT_EQ(text, "{0003ABCD-0E0F-1101-8002-0000C06B5161}");
  EXPECT_EQ(FormatGuid(text, kGuid, false), 36u);
  EXPECT_EQ(text, "0003ABCD-0E0F-1101-8002-0000C06B5161");
  EXPECT_EQ(FormatGuid(GUID{0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}}, true)
                .size(),
            38u);
  EXPECT_EQ(FormatVersion(205, 4, 11), "4.11Beta (Level 5)") << "English words without a table";
}

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMessageTable();
    vxs::DestroyDateTimeData();
  }
  void TearDown() override {
    SetMessageTable(nullptr);
    vxs::DestroyDateTimeData();
  }
};

using FormatVersionTest = TableTest;

TEST_F(FormatVersionTest, EveryReleaseLevel) {
  EXPECT_EQ(FormatVersion(0, 4, 11), "4.11");
  EXPECT_EQ(FormatVersion(0, 3, 5), "3.05");
  EXPECT_EQ(FormatVersion(1, 4, 11), "4.11Concept (Level 1)");
  EXPECT_EQ(FormatVersion(99, 4, 11), "4.11Concept (Level 99)");
  EXPECT_EQ(FormatVersion(100, 4, 11), "4.11Alpha (Level 0)");
  EXPECT_EQ(FormatVersion(101, 4, 11), "4.11Alpha (Level 1)");
  EXPECT_EQ(FormatVersion(205, 4, 11), "4.11Beta (Level 5)");
  EXPECT_EQ(FormatVersion(399, 4, 11), "4.11Gamma (Level 99)");
  EXPECT_EQ(FormatVersion(400, 4, 11), "4.11");
  EXPECT_EQ(FormatVersion(500, 4, 11), "4.11");
  EXPECT_EQ(FormatVersion(501, 4, 11), "4.11a");
  EXPECT_EQ(FormatVersion(502, 4, 11), "4.11b");
  EXPECT_EQ(FormatVersion(526, 4, 11), "4.11z");
  EXPECT_EQ(FormatVersion(527, 4, 11), "4.11");
  EXPECT_EQ(FormatVersion(-1, 4, 11), "4.11");
}

using FormatDateTest = TableTest;

TEST_F(FormatDateTest, TableTemplateAndMonthNames) {
  EXPECT_EQ(FormatDate(2004, 10, 14), "Oct/14/2004");
  EXPECT_EQ(FormatDate(2004, 1, 5), "Jan/05/2004");
  EXPECT_EQ(FormatDate(2004, 12, 31), "Dec/31/2004");
  EXPECT_EQ(FormatDate(2004, 13, 1), "13/01/2004");
  EXPECT_EQ(FormatDate(2004, 0, 1), "0/01/2004");
}

std::map<unsigned, std::string_view> g_texts;

TEST(FormatDateFallbackTest, WithoutTableNumbersAndDashesOrTheMonthNamesOnly) {
  vxs::DestroyDateTimeData();
  EXPECT_EQ(FormatDate(2004, 10, 14), "2004-10-14");
  g_texts = {{55312, "JanFebMarAprMayJunJulAugSepOctNovDec"}};
  SetMessageTable([](unsigned n) {
    auto it = g_texts.find(n);
    return it == g_texts.end() ? std::string_view() : it->second;
  });
  vxs::DestroyDateTimeData();
  EXPECT_EQ(FormatDate(2004, 10, 14), "2004-Oct-14");
  g_texts = {{55312, "JanFeb"}};
  vxs::DestroyDateTimeData();
  EXPECT_EQ(FormatDate(2004, 3, 1), "2004-3-01");  // a short table gives the number
  SetMessageTable(nullptr);
  vxs::DestroyDateTimeData();
}

using FormatVersionLineTest = TableTest;

TEST_F(FormatVersionLineTest, RangeOfYearsOneYearAndTwoDigitYears) {
  EXPECT_EQ(FormatVersionLine(502, 4, 11, 2004, 10, 14, 1998, "VEXO-SYSTEMS"),
            "Version 4.11b of Oct/14/2004\nCopyright (c) 1998-2004 VEXO-SYSTEMS");
  EXPECT_EQ(FormatVersionLine(0, 3, 0, 2004, 10, 14, 2004, "VEXO-SYSTEMS"),
            "Version 3.00 of Oct/14/2004\nCopyright (c) 2004 VEXO-SYSTEMS");
  // Two-digit years are completed.
  EXPECT_EQ(FormatVersionLine(0, 1, 0, 4, 1, 2, 98, ""),
            "Version 1.00 of Jan/02/2004\nCopyright (c) 1998-2004");
  EXPECT_EQ(FormatVersionLine(0, 1, 0, 4, 1, 2, 69, ""),
            "Version 1.00 of Jan/02/2004\nCopyright (c) 2069-2004");
  EXPECT_EQ(FormatVersionLine(0, 1, 0, 4, 1, 2, 4, "X"),
            "Version 1.00 of Jan/02/2004\nCopyright (c) 2004 X");
}

}  // namespace
