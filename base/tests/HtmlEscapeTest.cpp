#include "base/HtmlEscape.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlEscape, TurnsMarkupCharactersIntoReferences) {
  EXPECT_EQ(vxs::EscapeHtml("<script>alert('x')</script>"),
            "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;");
  EXPECT_EQ(vxs::EscapeHtml("a & \"b\""), "a &amp; &quot;b&quot;");
  EXPECT_EQ(vxs::EscapeHtml("plain \xc3\xa4 text"), "plain \xc3\xa4 text");
}

TEST(HtmlEscape, LinkAddressesKeepTheirEscapesAndLoseTheirQuotes) {
  EXPECT_EQ(vxs::EscapeLinkAddress("vexost://My%20Archive/a.htm#top"),
            "vexost://My%20Archive/a.htm#top");
  EXPECT_EQ(vxs::EscapeLinkAddress("vexost://x\" onclick=\"alert(1)"),
            "vexost://x%22%20onclick=%22alert(1)");
  EXPECT_EQ(vxs::EscapeLinkAddress("vexost://a?b=1&c=<2>"), "vexost://a?b=1&amp;c=%3C2%3E");
  EXPECT_EQ(vxs::EscapeLinkAddress("vexost://file:C|\\a\\b.vxb"), "vexost://file:C|\\a\\b.vxb");
  EXPECT_EQ(vxs::EscapeLinkAddress("vexost://\xc3\xa4"), "vexost://%C3%A4");
  EXPECT_EQ(vxs::EscapeLinkAddress("/usr/lib/my lib/libvxstrd.so"),
            "/usr/lib/my%20lib/libvxstrd.so");
}

TEST(HtmlEscape, LinkAddressesCannotRunScript) {
  EXPECT_EQ(vxs::EscapeLinkAddress("javascript:alert(1)"), "./javascript:alert(1)");
  EXPECT_EQ(vxs::EscapeLinkAddress("JavaScript:alert(1)"), "./JavaScript:alert(1)");
  EXPECT_EQ(vxs::EscapeLinkAddress("vbscript:x"), "./vbscript:x");
  EXPECT_EQ(vxs::EscapeLinkAddress("data:text/html,<b>"), "./data:text/html,%3Cb%3E");
  // Blanks and control characters that browsers would strip are escaped instead,
  // so they cannot hide a scheme.
  EXPECT_EQ(vxs::EscapeLinkAddress(" javascript:x"), "%20javascript:x");
  EXPECT_EQ(vxs::EscapeLinkAddress("java\nscript:x"), "java%0Ascript:x");
  EXPECT_EQ(vxs::EscapeLinkAddress("VEXOST:list"), "VEXOST:list");
  EXPECT_EQ(vxs::EscapeLinkAddress("res:///x/stow.gif"), "res:///x/stow.gif");
}

TEST(HtmlEscape, UrlComponentsEscapeEverythingButUnreservedCharacters) {
  EXPECT_EQ(vxs::EscapeUrlComponent("Manual-2.0_x~"), "Manual-2.0_x~");
  EXPECT_EQ(vxs::EscapeUrlComponent("a b%41/\"<>#?:"), "a%20b%2541%2F%22%3C%3E%23%3F%3A");
  EXPECT_EQ(vxs::EscapeUrlComponent("\xc3\xa4"), "%C3%A4");
  for (const std::string text : {"a b%41/\"<>#?:", "\xc3\xa4", "%00x", "%"})
    EXPECT_EQ(vxs::UnescapeUrlComponent(vxs::EscapeUrlComponent(text)), text) << text;
  EXPECT_EQ(vxs::UnescapeUrlComponent("My%20Book%2f2%00%4%zz%"), "My Book/2%00%4%zz%");
  EXPECT_EQ(vxs::EscapeUrlComponent("vexost://a b/%|\\?#x", "/:"), "vexost://a%20b/%25%7C%5C%3F%23x");
}

}  // namespace
