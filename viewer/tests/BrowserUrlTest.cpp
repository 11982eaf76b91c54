// vexost: URLs in the form the embedded browser keeps, and back.
#include <gtest/gtest.h>

#include "viewer/BrowserUrl.h"

namespace {

TEST(BrowserUrl, ArchivePartIsEscapedForTheBrowserAndReadBack) {
  const struct {
    const char* reader;
    const char* browser;
  } cases[] = {
      // Name URLs and others stay as they are.
      {"vexost://Manual", "vexost://Manual"},
      {"vexost://Manual/intro/page.htm", "vexost://Manual/intro/page.htm"},
      {"vexost:", "vexost:"},
      {"vexost:list", "vexost:list"},
      {"vexost://My%20Book/x.htm", "vexost://My%20Book/x.htm"},
      {"vexost://Manual.vxb", "vexost://Manual.vxb"},
      {"http://a:80/b", "http://a:80/b"},
      {"", ""},
      // Colons and backslashes of the archive part are escaped.
      {"vexost://file:/home/a/m.vxb/x:y.htm", "vexost://file%3A/home/a/m.vxb/x:y.htm"},
      {"vexost://FirmCode:10::Manual/page.htm", "vexost://FirmCode%3A10%3A%3AManual/page.htm"},
      {"vexost://file:C:\\Docs\\m.vxb/x.htm#top", "vexost://file%3AC%3A%5CDocs%5Cm.vxb/x.htm#top"},
      {"VEXOST://file:/a.vxb/b.htm", "VEXOST://file%3A/a.vxb/b.htm"},
      {"vexost://file:/home/a/m.vxb/", "vexost://file%3A/home/a/m.vxb/"},
      {"vexost://file:/home/a/notes", "vexost://file%3A/home/a/notes"},
      {"vexost://file:.vxb", "vexost://file%3A.vxb"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToBrowserUrl(c.reader), c.browser) << c.reader;
    EXPECT_EQ(ToReaderUrl(c.browser), c.reader) << c.browser;
  }
  // An archive file without topic gets the slash that ends the archive part.
  EXPECT_EQ(ToBrowserUrl("vexost://file:/home/a/m.vxb"), "vexost://file%3A/home/a/m.vxb/");
  EXPECT_EQ(ToBrowserUrl("vexost://FILE:/home/a/M.VXB"), "vexost://FILE%3A/home/a/M.VXB/");
  // Other characters a host cannot hold stay escaped; the browser's lower-case escapes are read.
  EXPECT_EQ(ToBrowserUrl("vexost://a b<c>@[d]^e|f/g h"), "vexost://a%20b%3Cc%3E%40%5Bd%5D%5Ee%7Cf/g h");
  const std::pair<const char*, const char*> read[] = {{"vexost://a%20b%7Cf/g", "vexost://a%20b%7Cf/g"},
                                                      {"vexost://file%3a/x.vxb/y", "vexost://file:/x.vxb/y"},
                                                      {"vexost://x%2/", "vexost://x%2/"},
                                                      {"vexost://x%", "vexost://x%"}};
  for (const auto& [browser, reader] : read) EXPECT_EQ(ToReaderUrl(browser), reader) << browser;
}

}  // namespace
