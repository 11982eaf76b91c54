// The answers on IInternetProtocolInfo: the security URL, the combination of
// relative links (the file:///vexost rule and the PDF rule) and the size rules.
#include "reader/ProtocolInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kParseCanonicalize = 1;
constexpr DWORD kParseSecurityUrl = 3;
constexpr DWORD kParseSchema = 13;

TEST(ParseUrlTest, SecurityUrlIsTheSchemeInABufferLargeEnough) {
  char buffer[64] = "untouched";
  DWORD length = 0;
  for (DWORD action : {kParseCanonicalize, kParseSchema, DWORD{0}, DWORD{99}})
    EXPECT_EQ(AnswerParseUrl("vexost://A/", action, 0, buffer, sizeof buffer, &length), E_NOTIMPL) << action;
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(AnswerParseUrl("vexost://A/x.htm", kParseSecurityUrl, 0, buffer, sizeof buffer, &length), S_OK);
  EXPECT_STREQ(buffer, "vexost:");
  EXPECT_EQ(length, 9u);

  char small[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
  EXPECT_EQ(AnswerParseUrl("vexost:", kParseSecurityUrl, 0, small, 7, &length), E_POINTER);
  EXPECT_EQ(small[0], '#');
  EXPECT_EQ(AnswerParseUrl("vexost:", kParseSecurityUrl, 0, nullptr, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerParseUrl("vexost:", kParseSecurityUrl, 0, small, 8, &length), S_OK);
  EXPECT_EQ(std::string(small), "vexost:");
}

// A combination the handler answers (S_OK) or leaves to the browser (E_NOTIMPL,
// the buffer untouched); the length told is twice the answer's bytes.
TEST(CombineUrlTest, LinksCombineByTheFileAndPdfRules) {
  struct Case {
    const char* base;
    const char* relative;
    const char* combined;  // null: left to the browser
    DWORD size = 1000;
  };
  const char* const fileBase = "vexost://file:/a/b.vxb/x.htm";
  const Case cases[] = {
      // A local file URL of the scheme loses its prefix, compared exactly.
      {"vexost://A/x.htm", "file:///vexost://A/y.htm", "vexost://A/y.htm"},
      {"vexost://A/x.htm", "FILE:///vexost://A/y.htm", nullptr},
      {"vexost://A/x.htm", "file:///Vexost://A/y.htm", nullptr},
      {"vexost://A/", "file:///vexost://Caf\xC3\xA9/", "vexost://Caf\xC3\xA9/"},  // sizes count bytes
      // Ordinary relative links are the browser's.
      {fileBase, "y.htm", nullptr},
      {fileBase, "../img/a.gif", nullptr},
      {fileBase, "/x.pdf.htm", nullptr},
      {fileBase, "x.pdf#page=2", nullptr},
      {fileBase, "", nullptr},
      {fileBase, "pdf", nullptr},
      // A PDF is placed behind the archive file of a file base.
      {"vexost://file:C:\\a\\b.vxb/x.htm", "c.pdf", "vexost://file:C:\\a\\b.vxb/c.pdf"},
      {"vexost://file:C:\\a\\b.vxb/x.htm", "/docs/C.PDF", "vexost://file:C:\\a\\b.vxb/docs/C.PDF"},
      {"vexost://file:/a/B.VXB/dir/x.htm", "sub/c.Pdf", "vexost://file:/a/B.VXB/sub/c.Pdf"},
      {"vexost://Manual/x.htm", "c.pdf", nullptr},
      {"VEXOST://file:/a/b.vxb/x.htm", "c.pdf", nullptr},
      {"vexost://FILE:/a/b.vxb/x.htm", "c.pdf", nullptr},
      {"vexost://file:/a/b.arc/x.htm", "c.pdf", nullptr},  // no archive to place it in
      // A PDF file URL that left the archive's folder is put back; what lies
      // before the first difference comes from the base, the character before it
      // from the link.
      {"vexost://file:C:/a/b.vxb/x.htm", "vexost://file:C:/a/c.pdf", "vexost://file:C:/a/b.vxb/c.pdf"},
      {"vexost://file:/docs/archive.vxb/x.htm", "vexost://file:/x.pdf", "vexost://file:/docs/archive.vxb/x.pdf"},
      {"vexost://file:/docs/archive.vxb/x.htm", "vexost://file:/d.pdf", "vexost://file:/docs/archive.vxbd.pdf"},
      {"vexost://file:C:/a/b.vxb/x.htm", "vexost://file:c:/A/B.vxb/d.pdf", nullptr},  // the same archive
      {"vexost://file:/a/b.arc/x.htm", "vexost://file:/z/d.pdf", nullptr},
      // The answer needs twice its length.
      {fileBase, "c.pdf", "vexost://file:/a/b.vxb/c.pdf", 56},
      {fileBase, "c.pdf", nullptr, 55},
      {fileBase, "file:///vexost:", "vexost:", 14},
      {fileBase, "file:///vexost:", nullptr, 13},
  };
  for (const Case& c : cases) {
    std::string buffer(c.size, '#');
    DWORD length = 0xDEAD;
    const HRESULT hr = AnswerCombineUrl(c.base, c.relative, 0, buffer.data(), c.size, &length);
    const std::string where = std::string(c.base) + " + " + c.relative + " in " + std::to_string(c.size);
    if (!c.combined) {
      EXPECT_EQ(hr, E_NOTIMPL) << where;
      EXPECT_EQ(buffer, std::string(c.size, '#')) << where;
      continue;
    }
    EXPECT_EQ(hr, S_OK) << where;
    EXPECT_EQ(buffer.substr(0, buffer.find('\0')), c.combined) << where;
    EXPECT_EQ(length, 2 * std::string(c.combined).size()) << where;
  }
}

TEST(CombineUrlTest, MissingTextsAndBuffersAreRefused) {
  char buffer[100];
  DWORD length = 0;
  EXPECT_EQ(AnswerCombineUrl(nullptr, "c.pdf", 0, buffer, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerCombineUrl("vexost://file:/a.vxb/", nullptr, 0, buffer, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerCombineUrl("vexost://file:/a.vxb/", "c.pdf", 0, nullptr, 100, &length), E_POINTER);
  EXPECT_EQ(AnswerCombineUrl("vexost://file:/a.vxb/", "c.pdf", 0, buffer, 100, nullptr), S_OK);
  EXPECT_STREQ(buffer, "vexost://file:/a.vxb/c.pdf");
  EXPECT_EQ(AnswerCompareUrl("vexost://A/", "vexost://B/", 0), E_NOTIMPL);
}

}  // namespace
