#include "host/HttpCaching.h"

#include <gtest/gtest.h>

#include "host/PageLinks.h"
#include "host/PageOutcome.h"
#include "reader/client/ReaderOutcome.h"

namespace {

ProtocolReport Outcome(const char* text) {
  return ProtocolReport::Progress(BINDSTATUS_READEROUTCOME, text);
}

}  // namespace

// Ranges of a body of 1000 bytes: {first, length} when served, {0, 0} when not.
TEST(ByteRange, EveryFormOfASingleRange) {
  struct Case {
    const char* header;
    std::uint64_t first, length;
    bool unsatisfiable;
  };
  const Case cases[] = {
      {"bytes=0-99", 0, 100, false},     {"bytes=900-", 900, 100, false},
      {"bytes=-10", 990, 10, false},     {"bytes=500-5000", 500, 500, false},  // clipped
      {"bytes=-5000", 0, 1000, false},   {"bytes=1000-", 0, 0, true},
      {"bytes=-0", 0, 0, true},          {"bytes=5-1", 0, 0, false},
      {"bytes=a-b", 0, 0, false},        {"items=0-1", 0, 0, false},
      {"bytes=0-1,5-6", 0, 0, false},    {"bytes=", 0, 0, false},
      {"bytes=-", 0, 0, false},          {"bytes=99999999999999999999999-", 0, 0, false},
  };
  for (const Case& c : cases) {
    bool unsatisfiable = !c.unsatisfiable;  // set either way by the parser
    const std::optional<ByteRange> range = ParseByteRange(c.header, 1000, unsatisfiable);
    EXPECT_EQ(range ? range->first : 0, c.first) << c.header;
    EXPECT_EQ(range ? range->length : 0, c.length) << c.header;
    EXPECT_EQ(unsatisfiable, c.unsatisfiable) << c.header;
  }
}

TEST(HttpCaching, TagsDatesAndCompression) {
  for (const char* tags : {"\"abc\"", "W/\"abc\"", "\"x\", \"abc\"", "*"})
    EXPECT_TRUE(EntityTagMatches(tags, "\"abc\"")) << tags;
  for (const char* tags : {"\"abd\"", ""}) EXPECT_FALSE(EntityTagMatches(tags, "\"abc\"")) << tags;

  EXPECT_EQ(FormatHttpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  for (const char* date : {"yesterday", "Sun, 06 Foo 1994 08:49:37 GMT"})
    EXPECT_FALSE(ParseHttpDate(date)) << date;

  for (const char* type : {"text/html", "application/javascript"})
    EXPECT_TRUE(IsCompressibleType(type)) << type;
  for (const char* type : {"image/gif", "application/pdf"})
    EXPECT_FALSE(IsCompressibleType(type)) << type;
  for (const char* accepted : {"gzip, deflate, br", "deflate;q=1, gzip;q=0.5"})
    EXPECT_TRUE(AcceptsGzip(accepted)) << accepted;
  for (const char* accepted : {"gzip;q=0", "br", ""})
    EXPECT_FALSE(AcceptsGzip(accepted)) << accepted;
}

std::string Rewritten(std::string_view html) {
  std::string out = "untouched";
  return RewritePageLinks(html, out) ? out : out + ": " + std::string(html);
}

TEST(PageLinks, AbsoluteSchemesBecomeRootRelative) {
  EXPECT_EQ(Rewritten("<a href=\"vexost://Manual/a.htm\">vexost://x</a>"),
            "<a href=\"/vexost://Manual/a.htm\">vexost://x</a>");
  EXPECT_EQ(Rewritten("<img src='res:///m/libvxstrd.so/stow.gif'>"),
            "<img src='/res:///m/libvxstrd.so/stow.gif'>");
  EXPECT_EQ(Rewritten("<a href=VEXOST:list>"), "<a href=/VEXOST:list>");
  EXPECT_EQ(Rewritten("<a href=\"vexost:\"><a href='res://x'>:"),
            "<a href=\"/vexost:\"><a href='/res://x'>:");
  EXPECT_EQ(Rewritten("vexost:x res://y"), "untouched: vexost:x res://y");  // not a link
  EXPECT_EQ(Rewritten("<a href=\"page.htm\">"), "untouched: <a href=\"page.htm\">");
  EXPECT_EQ(Rewritten("\""), "untouched: \"");  // a quote at the very end reads nothing beyond
  EXPECT_EQ(Rewritten(":res:"), "untouched: :res:");
}

TEST(PageOutcome, StatusByPageAndResult) {
  EXPECT_EQ(HttpStatusOf(S_OK, {}), 200);
  EXPECT_EQ(HttpStatusOf(S_OK, {Outcome("11")}), 200);
  EXPECT_EQ(HttpStatusOf(S_OK, {Outcome("1")}), 400);
  for (const char* page : {"2", "3", "4", "5", "6", "7"})
    EXPECT_EQ(HttpStatusOf(S_OK, {Outcome(page)}), 404) << page;
  EXPECT_EQ(HttpStatusOf(E_FAIL, {Outcome("topic")}), 404);
  EXPECT_EQ(HttpStatusOf(E_FAIL, {}), 500);
  EXPECT_EQ(FailureText(E_FAIL, {}), "The reader could not serve this URL (0x80004005).\n");
}
