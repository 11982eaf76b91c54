// The home URL the view takes from completed navigations.
#include <gtest/gtest.h>

#include "viewer/HomeUrl.h"

namespace {

std::string HomeAfter(const std::string& url, std::string home = "before") {
  UpdateHomeUrl(url, home);
  return home;
}

TEST(HomeUrl, EachUrlGivesItsArchivePartOrKeepsTheHome) {
  const struct {
    const char* url;
    const char* home;
  } cases[] = {
      {"vexost://Manual/intro/page.htm", "vexost://Manual"},
      {"vexost://Manual/", "vexost://Manual"},
      {"vexost://Manual", "vexost://Manual"},
      {"vexost://Manual#part", "vexost://Manual"},
      {"vexost://FirmCode:7::Manual/a.htm", "vexost://FirmCode:7::Manual"},
      {"vexost://file:C:\\docs\\manual.vxb/index.htm", "vexost://file:C:\\docs\\manual.vxb"},
      {"vexost://file:/home/a/manual.vxb/sub/x.htm", "vexost://file:/home/a/manual.vxb"},
      {"vexost://file:/home/a.vxb.d/manual.vxb::/x.htm", "vexost://file:/home/a.vxb.d/manual.vxb"},
      {"vexost://file:/home/a/manual.VXB/x.htm", "before"},
      {"vexost://file:/home/a/manual", "before"},
      {"vexost://file:::/x.htm", "before"},
      {"vexost://", "before"},
      {"vexost:", "before"},
      {"vexost:///topic.htm", "before"},
      {"http://host/page.htm", "before"},
      {"VEXOST://Manual/page.htm", "before"},
      {"about:blank", "before"},
      {"", "before"},
  };
  for (const auto& c : cases) EXPECT_EQ(HomeAfter(c.url), c.home) << c.url;
}

}  // namespace
