#include "host/HttpCaching.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "host/PageLinks.h"
#include "host/PageOutcome.h"
#include "reader/client/ReaderOutcome.h"

namespace {

std::string Gunzip(const std::string& packed) {
  z_stream zs{};
  inflateInit2(&zs, 15 + 16);
  std::string out(1 << 20, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  zs.avail_in = static_cast<uInt>(packed.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  inflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  return out;
}

ProtocolReport Outcome(const char* text) {
  return ProtocolReport::Progress(BINDSTATUS_READEROUTCOME, text);
}

}  // namespace

TEST(ByteRange, SingleRangesOfEveryForm) {
  bool unsatisfiable = false;
  auto r = ParseByteRange("bytes=0-99", 1000, unsatisfiable);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, 0u);
  EXPECT_EQ(r->length, 100u);
  r = ParseByteRange("bytes=900-", 1000, unsatisfiable);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, 900u);
  EXPECT_EQ(r->length, 100u);
  r = ParseByteRange("bytes=-10", 1000, unsatisfiable);  // the last ten bytes
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, 990u);
  EXPECT_EQ(r->length, 10u);
  r = ParseByteRange("bytes=500-5000", 1000, unsatisfiable);  // clipped to the end
  ASSERT_TRUE(r);
  EXPECT_EQ(r->length, 500u);
  r = ParseByteRange("bytes=-5000", 1000, unsatisfiable);  // suffix longer than the body
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, 0u);
  EXPECT_EQ(r->length, 1000u);
}

TEST(ByteRange, UnsatisfiableAndMalformedRanges) {
  bool unsatisfiable = false;
  EXPECT_FALSE(ParseByteRange("bytes=1000-", 1000, unsatisfiable));
  EXPECT_TRUE(unsatisfiable);
  EXPECT_FALSE(ParseByteRange("bytes=-0", 1000, unsatisfiable));
  EXPECT_TRUE(unsatisfiable);
  for (const char* header : {"bytes=5-1", "bytes=a-b", "items=0-1", "bytes=0-1,5-6", "bytes=",
                             "bytes=-", "bytes=99999999999999999999999-"}) {
    EXPECT_FALSE(ParseByteRange(header, 1000, unsatisfiable)) << header;
    EXPECT_FALSE(unsatisfiable) << header;
  }
}

TEST(EntityTags, WeakComparisonListsAndStar) {
  EXPECT_TRUE(EntityTagMatches("\"abc\"", "\"abc\""));
  EXPECT_TRUE(EntityTagMatches("W/\"abc\"", "\"abc\""));
  EXPECT_TRUE(EntityTagMatches("\"x\", \"abc\"", "\"abc\""));
  EXPECT_TRUE(EntityTagMatches("*", "\"abc\""));
  EXPECT_FALSE(EntityTagMatches("\"abd\"", "\"abc\""));
  EXPECT_FALSE(EntityTagMatches("", "\"abc\""));
}

TEST(HttpDates, RoundTripAndRejectGarbage) {
  EXPECT_EQ(FormatHttpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  EXPECT_FALSE(ParseHttpDate("yesterday"));
  EXPECT_FALSE(ParseHttpDate("Sun, 06 Foo 1994 08:49:37 GMT"));
}

TEST(Compression, TextTypesAndAcceptedEncodings) {
  EXPECT_TRUE(IsCompressibleType("text/html"));
  EXPECT_TRUE(IsCompressibleType("application/javascript"));
  EXPECT_FALSE(IsCompressibleType("image/gif"));
  EXPECT_FALSE(IsCompressibleType("application/pdf"));
  EXPECT_TRUE(AcceptsGzip("gzip, deflate, br"));
  EXPECT_TRUE(AcceptsGzip("deflate;q=1, gzip;q=0.5"));
  EXPECT_FALSE(AcceptsGzip("gzip;q=0"));
  EXPECT_FALSE(AcceptsGzip("br"));
  EXPECT_FALSE(AcceptsGzip(""));
  std::string text(5000, 'a');
  std::string packed;
  ASSERT_TRUE(Gzip(text, packed));
  EXPECT_LT(packed.size(), text.size());
  EXPECT_EQ(Gunzip(packed), text);
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
