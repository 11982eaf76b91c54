// The answers on IInternetProtocolInfo: the security URL, the combination of
// relative links (the file:///vexost rule and the PDF rule) and the size rules.
#include "reader/ProtocolInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kParseCanonicalize = 1;
constexpr DWORD kParseSecurityUrl = 3;
constexpr DWORD kParseSchema = 13;

struct Answer {
  HRESULT result;
  std::string text;
  DWORD length;
};

Answer Combine(const char* base, const char* relative, DWORD size = 1000) {
  std::string buffer(size, '#');
  DWORD length = 0xDEAD;
  const HRESULT hr = AnswerCombineUrl(base, relative, 0, buffer.data(), size, &length);
  const std::size_t end = buffer.find('\0');
  return {hr, end == std::string::npos ? buffer : buffer.substr(0, end), length};
}

TEST(ParseUrlTest, SecurityUrlIsTheScheme) {
  char buffer[64] = "untouched";
  DWORD length = 0;
  EXPECT_EQ(AnswerParseUrl("vexost://A/x.htm", kParseSecurityUrl, 0, buffer, sizeof buffer, &length), S_OK);
  EXPECT_STREQ(buffer, "vexost:");
  EXPECT_EQ(length, 9u);
}

TEST(ParseUrlTest, OtherActionsAreLeftToTheBrowser) {
  char buffer[64] = "untouched";
  DWORD length = 0;
  for (DWORD action : {kParseCanonicalize, kParseSchema, DWORD{0}, DWORD{99}}) {
    EXPECT_EQ(AnswerParseUrl("vexost://A/", action, 0, buffer, sizeof buffer, &length), E_NOTIMPL);
  }
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(length, 0u);
}

TEST(ParseUrlTest, TooSmallBufferIsNotOverrun) {
  char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
  DWORD length = 0;
  EXPECT_EQ(AnswerParseUrl("vexost:", kParseSecurityUrl, 0, buffer, 7, &length), E_POINTER);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(AnswerParseUrl("vexost:", kParseSecurityUrl, 0, nullptr, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerParseUrl("vexost:", kParseSecurityUrl, 0, buffer, 8, &length), S_OK);
  EXPECT_EQ(std::string(buffer), "vexost:");
}

TEST(CompareUrlTest, AlwaysTheBrowsersDefault) {
  EXPECT_EQ(AnswerCompareUrl("vexost://A/", "vexost://A/", 0), E_NOTIMPL);
  EXPECT_EQ(AnswerCompareUrl("vexost://A/", "vexost://B/", 0), E_NOTIMPL);
}

TEST(CombineUrlTest, LocalFileUrlOfTheSchemeLosesItsPrefix) {
  const Answer a = Combine("vexost://A/x.htm", "file:///vexost://A/y.htm");
  EXPECT_EQ(a.result, S_OK);
  EXPECT_EQ(a.text, "vexost://A/y.htm");
  EXPECT_EQ(a.length, 2u * a.text.size());
  // Exact comparison: another case is left to the browser.
  EXPECT_EQ(Combine("vexost://A/x.htm", "FILE:///vexost://A/y.htm").result, E_NOTIMPL);
  EXPECT_EQ(Combine("vexost://A/x.htm", "file:///Vexost://A/y.htm").result, E_NOTIMPL);
}

TEST(CombineUrlTest, OrdinaryRelativeLinksAreLeftToTheBrowser) {
  for (const char* relative : {"y.htm", "../img/a.gif", "/x.pdf.htm", "x.pdf#page=2", "", "pdf"}) {
    EXPECT_EQ(Combine("vexost://file:/a/b.vxb/x.htm", relative).result, E_NOTIMPL) << relative;
  }
}

TEST(CombineUrlTest, PdfIsPlacedBehindTheArchiveFile) {
  const char* base = "vexost://file:C:\\a\\b.vxb/x.htm";
  Answer a = Combine(base, "c.pdf");
  EXPECT_EQ(a.result, S_OK);
  EXPECT_EQ(a.text, "vexost://file:C:\\a\\b.vxb/c.pdf");
  EXPECT_EQ(a.length, 2u * a.text.size());
  EXPECT_EQ(Combine(base, "/docs/C.PDF").text, "vexost://file:C:\\a\\b.vxb/docs/C.PDF");
  EXPECT_EQ(Combine("vexost://file:/a/B.VXB/dir/x.htm", "sub/c.Pdf").text,
            "vexost://file:/a/B.VXB/sub/c.Pdf");
}

TEST(CombineUrlTest, PdfRuleNeedsAFileBase) {
  EXPECT_EQ(Combine("vexost://Manual/x.htm", "c.pdf").result, E_NOTIMPL);
  EXPECT_EQ(Combine("VEXOST://file:/a/b.vxb/x.htm", "c.pdf").result, E_NOTIMPL);
  EXPECT_EQ(Combine("vexost://FILE:/a/b.vxb/x.htm", "c.pdf").result, E_NOTIMPL);
  // A file base without ".vxb" names no archive to place the document in.
  EXPECT_EQ(Combine("vexost://file:/a/b.arc/x.htm", "c.pdf").result, E_NOTIMPL);
}

TEST(CombineUrlTest, PdfFileUrlThatLeftTheArchiveIsPutBack) {
  // The browser resolved the link against the archive's folder.
  const Answer a = Combine("vexost://file:C:/a/b.vxb/x.htm", "vexost://file:C:/a/c.pdf");
  EXPECT_EQ(a.result, S_OK);
  EXPECT_EQ(a.text, "vexost://file:C:/a/b.vxb/c.pdf");
  // Shorter than the archive path: it differs there too.
  EXPECT_EQ(Combine("vexost://file:/docs/archive.vxb/x.htm", "vexost://file:/x.pdf").text,
            "vexost://file:/docs/archive.vxb/x.pdf");
  // What lies before the first difference is taken from the base, with the
  // character before it from the link.
  EXPECT_EQ(Combine("vexost://file:/docs/archive.vxb/x.htm", "vexost://file:/d.pdf").text,
            "vexost://file:/docs/archive.vxbd.pdf");
}

TEST(CombineUrlTest, PdfFileUrlInsideTheSameArchiveIsLeftToTheBrowser) {
  EXPECT_EQ(Combine("vexost://file:C:/a/b.vxb/x.htm", "vexost://file:c:/A/B.vxb/d.pdf").result,
            E_NOTIMPL);
  EXPECT_EQ(Combine("vexost://file:/a/b.arc/x.htm", "vexost://file:/z/d.pdf").result, E_NOTIMPL);
}

TEST(CombineUrlTest, ResultNeedsTwiceItsLength) {
  const char* base = "vexost://file:/a/b.vxb/x.htm";
  const std::string expected = "vexost://file:/a/b.vxb/c.pdf";
  const DWORD twice = static_cast<DWORD>(2 * expected.size());

  Answer fits = Combine(base, "c.pdf", twice);
  EXPECT_EQ(fits.result, S_OK);
  EXPECT_EQ(fits.text, expected);
  EXPECT_EQ(fits.length, twice);

  Answer small = Combine(base, "c.pdf", twice - 1);
  EXPECT_EQ(small.result, E_NOTIMPL);
  EXPECT_EQ(small.text, std::string(twice - 1, '#'));

  Answer local = Combine(base, "file:///vexost:", 14);
  EXPECT_EQ(local.result, S_OK);
  EXPECT_EQ(local.text, "vexost:");
  EXPECT_EQ(local.length, 14u);
  EXPECT_EQ(Combine(base, "file:///vexost:", 13).result, E_NOTIMPL);
}

TEST(CombineUrlTest, SizesCountUtf8Bytes) {
  const Answer a = Combine("vexost://A/", "file:///vexost://Caf\xC3\xA9/");
  EXPECT_EQ(a.text, "vexost://Caf\xC3\xA9/");
  EXPECT_EQ(a.length, 2u * 15);
}

TEST(CombineUrlTest, MissingTextsAndBuffersAreRefused) {
  char buffer[100];
  DWORD length = 0;
  EXPECT_EQ(AnswerCombineUrl(nullptr, "c.pdf", 0, buffer, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerCombineUrl("vexost://file:/a.vxb/", nullptr, 0, buffer, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerCombineUrl("vexost://file:/a.vxb/", "c.pdf", 0, nullptr, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerCombineUrl("vexost://file:/a.vxb/", "c.pdf", 0, buffer, 100, nullptr), S_OK);
  EXPECT_STREQ(buffer, "vexost://file:/a.vxb/c.pdf");
}

}  // namespace
