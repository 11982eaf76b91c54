// The home URL the view takes from completed navigations.
#include <gtest/gtest.h>

#include "viewer/HomeUrl.h"

namespace {

std::string HomeAfter(const std::string& url, std::string home = "before") {
  UpdateHomeUrl(url, home);
  return home;
}

TEST(HomeUrl, ArchiveNameUrlGivesTheUrlBeforeTheTopic) {
  EXPECT_EQ(HomeAfter("vexost://Manual/intro/page.htm"), "vexost://Manual");
  EXPECT_EQ(HomeAfter("vexost://Manual/"), "vexost://Manual");
}

TEST(HomeUrl, FileUrlGivesTheUrlUpToTheArchiveExtension) {
  EXPECT_EQ(HomeAfter("vexost://file:C:\\docs\\manual.vxb/index.htm"),
            "vexost://file:C:\\docs\\manual.vxb");
  EXPECT_EQ(HomeAfter("vexost://file:/home/a/manual.vxb/sub/x.htm"),
            "vexost://file:/home/a/manual.vxb");
}

TEST(HomeUrl, FileUrlWithoutArchiveExtensionKeepsTheHome) {
  EXPECT_EQ(HomeAfter("vexost://file:/home/a/manual.VXB/x.htm"), "before");
  EXPECT_EQ(HomeAfter("vexost://file:/home/a/manual"), "before");
}

TEST(HomeUrl, NameWithoutSlashAfterItKeepsTheHome) {
  EXPECT_EQ(HomeAfter("vexost://x"), "before");
  EXPECT_EQ(HomeAfter("vexost://"), "before");
  EXPECT_EQ(HomeAfter("vexost:"), "before");
}

TEST(HomeUrl, EmptyArchiveNameKeepsTheHome) { EXPECT_EQ(HomeAfter("vexost:///topic.htm"), "before"); }

TEST(HomeUrl, OtherSchemesAndOtherCaseKeepTheHome) {
  EXPECT_EQ(HomeAfter("http://host/page.htm"), "before");
  EXPECT_EQ(HomeAfter("VEXOST://Manual/page.htm"), "before");
  EXPECT_EQ(HomeAfter("about:blank"), "before");
  EXPECT_EQ(HomeAfter(""), "before");
}

TEST(HomeUrl, EachVexostUrlReplacesTheLastHome) {
  std::string home;
  UpdateHomeUrl("vexost://One/a.htm", home);
  UpdateHomeUrl("vexost://Two/b/c.htm", home);
  EXPECT_EQ(home, "vexost://Two");
}

}  // namespace
