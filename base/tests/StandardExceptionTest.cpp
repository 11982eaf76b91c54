#include <gtest/gtest.h>

#include "MessageTestSupport.h"
#include "base/ErrorLocation.h"
#include "base/KelException.h"

namespace {

using StandardException = MessageTest;

TEST_F(StandardException, TextFollowsTheOrderOfAReport) {
  vxs::ErrorLocationScope outer("manual.vxb");
  vxs::ErrorLocationScope inner("topic 3", true);
  vxs::Exception corrupt(1031, " (bad chunk)");
  EXPECT_STREQ(corrupt.what(),
               "<unknown>, manual.vxb, topic 3: fatal error VK1031 - file is corrupt (bad chunk).");
}

TEST_F(StandardException, WithoutLocationOrCodeNumber) {
  EXPECT_STREQ(vxs::Exception(2000, "value %1 is odd", "7").what(), "<unknown>: error - value 7 is odd.");
  EXPECT_STREQ(vxs::Exception(4003, "", "", "", "").what(),
               "<unknown>: warning VK4003 - file has EXE header.");
}

TEST_F(StandardException, CodeWithoutTextListsItsArguments) {
  EXPECT_STREQ(vxs::Exception(1234, "a", "", "c").what(),
               "<unknown>: fatal error VK1234 - Undocumented/internal (1234), a, c.");
  SetMessageTable(nullptr);
  EXPECT_STREQ(vxs::Exception(1001, "x.vxb").what(),
               "<unknown>: fatal error VK1001 - undocumented/internal (1001), x.vxb.");
}

}  // namespace
