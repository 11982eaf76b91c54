// vexost: URLs in the form the embedded browser keeps, and back.
#include <gtest/gtest.h>

#include "viewer/BrowserUrl.h"

namespace {

TEST(BrowserUrl, NameUrlsStayUnchanged) {
  for (const char* url : {"vexost://Manual", "vexost://Manual/intro/page.htm", "vexost:", "vexost:list",
                          "vexost://My%20Book/x.htm", "http://a:80/b", ""}) {
    EXPECT_EQ(ToBrowserUrl(url), url);
    EXPECT_EQ(ToReaderUrl(url), url);
  }
}

TEST(BrowserUrl, ColonsAndBackslashesOfTheArchivePartAreEscaped) {
  EXPECT_EQ(ToBrowserUrl("vexost://file:/home/a/m.vxb/x:y.htm"), "vexost://file%3A/home/a/m.vxb/x:y.htm");
  EXPECT_EQ(ToBrowserUrl("vexost://FirmCode:10::Manual/page.htm"),
            "vexost://FirmCode%3A10%3A%3AManual/page.htm");
  EXPECT_EQ(ToBrowserUrl("vexost://file:C:\\Docs\\m.vxb/x.htm"), "vexost://file%3AC%3A%5CDocs%5Cm.vxb/x.htm");
  EXPECT_EQ(ToBrowserUrl("VEXOST://file:/a.vxb/b.htm"), "VEXOST://file%3A/a.vxb/b.htm");
}

TEST(BrowserUrl, ArchiveFileWithoutTopicGetsTheSlashThatEndsTheArchivePart) {
  EXPECT_EQ(ToBrowserUrl("vexost://file:/home/a/m.vxb"), "vexost://file%3A/home/a/m.vxb/");
  EXPECT_EQ(ToBrowserUrl("vexost://FILE:/home/a/M.VXB"), "vexost://FILE%3A/home/a/M.VXB/");
  EXPECT_EQ(ToBrowserUrl("vexost://file:/home/a/m.vxb/"), "vexost://file%3A/home/a/m.vxb/");
  EXPECT_EQ(ToBrowserUrl("vexost://file:/home/a/notes"), "vexost://file%3A/home/a/notes");
  EXPECT_EQ(ToBrowserUrl("vexost://file:.vxb"), "vexost://file%3A.vxb");
  EXPECT_EQ(ToBrowserUrl("vexost://Manual.vxb"), "vexost://Manual.vxb");
}

TEST(BrowserUrl, RoundTripGivesTheUrlBack) {
  for (const char* url : {"vexost://file:/home/a/m.vxb/index.htm", "vexost://FirmCode:7::X/",
                          "vexost://file:C:\\D\\m.vxb/t.htm#top"}) {
    EXPECT_EQ(ToReaderUrl(ToBrowserUrl(url)), url) << url;
  }
}

TEST(BrowserUrl, OtherCharactersAHostCannotHoldStayEscaped) {
  EXPECT_EQ(ToBrowserUrl("vexost://a b<c>@[d]^e|f/g h"), "vexost://a%20b%3Cc%3E%40%5Bd%5D%5Ee%7Cf/g h");
  EXPECT_EQ(ToReaderUrl("vexost://a%20b%7Cf/g"), "vexost://a%20b%7Cf/g");
}

TEST(BrowserUrl, BrowserLowerCaseEscapesAreReadToo) {
  EXPECT_EQ(ToReaderUrl("vexost://file%3a/x.vxb/y"), "vexost://file:/x.vxb/y");
  EXPECT_EQ(ToReaderUrl("vexost://x%2/"), "vexost://x%2/");
  EXPECT_EQ(ToReaderUrl("vexost://x%"), "vexost://x%");
}

}  // namespace
