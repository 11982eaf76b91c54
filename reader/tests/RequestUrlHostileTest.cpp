// Unescaping, and URLs built to hurt: long, full of control bytes, zero bytes,
// lone and broken escapes. Each gives an answer, a page or a failure, never a
// crash or a hang.
#include <gtest/gtest.h>

#include "reader/RequestUrl.h"
#include "reader/tests/RequestUrlTestSupport.h"

namespace request_url_tests {
namespace {

TEST(UnescapeRequestUrlTest, EscapesBarsBackslashesAndBrokenEscapes) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a%41%62c", "aAbc"}, {"100%%", "100%"}, {"%%41", "%41"}, {"C|\\a\\b", "C:/a/b"},
      {"plain/text:1", "plain/text:1"}, {"%C3%A9", "\xC3\xA9"}, {"%fF", "\xFF"},
      {"%7C%5c", "|\\"},  // escaped bar and backslash stay as they are
      // Broken escapes lose nothing; a single digit gives its byte.
      {"%", "%"}, {"a%", "a%"}, {"%g1", "%g1"}, {"%\\x", "%/x"}, {"%%%", "%%"},
      {"%4g", "\x04g"}, {"x%4", "x\x04"},
      // A zero byte, escaped or not, ends the text.
      {"abc%00def", "abc"}, {"%0", ""}, {std::string_view("ab\0cd", 5), "ab"}};
  for (const auto& [escaped, plain] : cases)
    EXPECT_EQ(UnescapeRequestUrl(escaped), plain) << escaped;
}

class HostileUrlTest : public ::testing::Test {
 protected:
  void SetUp() override { services.registered["A"] = {"/docs/a.vxb", 1}; }
  bool Parse(std::string_view url) { return grammar.ParseRequestUrl(url, request, services); }

  RequestUrlGrammar grammar;
  RecordingServices services;
  RequestUrl request;
};

// An escaped zero cuts the URL but not the last URL; a zero byte ends the URL
// as received.
TEST_F(HostileUrlTest, ZeroEscapesAndZeroBytes) {
  EXPECT_TRUE(Parse("vexost://file:/etc/passwd%00.vxb"));
  EXPECT_EQ(request.archivePath, "/etc/passwd");
  EXPECT_EQ(grammar.GetLastUrl(), "vexost://file:/etc/passwd%00.vxb");
  EXPECT_TRUE(Parse("vexost://A/page.htm%00/../../x"));
  EXPECT_EQ(request.topicPath, "page.htm");
  EXPECT_TRUE(Parse(std::string_view("vexost://A/a.htm\0vexost://B/", 28)));
  EXPECT_EQ(grammar.GetLastUrl(), "vexost://A/a.htm");
  EXPECT_EQ(request.topicPath, "a.htm");
}

TEST_F(HostileUrlTest, ControlBytesAndMarkupPassUnchangedToWhoShowsThem) {
  const std::string name = "<script>\x01\x1F\x7F\r\n";
  services.registered[name] = {"/docs/x.vxb", 2};
  EXPECT_TRUE(Parse("vexost://%3Cscript%3E%01%1F%7F%0D%0A/\t<b>"));
  EXPECT_EQ(request.archiveName, name);
  EXPECT_EQ(request.topicPath, "\t<b>");

  EXPECT_FALSE(Parse("vexost:/\x01<img src=x onerror=alert(1)>"));
  ASSERT_FALSE(services.pages.empty());
  EXPECT_EQ(services.pages.back(), (ArrangedPage{1, {"\x01<img src=x onerror=alert(1)>"}}));
}

TEST_F(HostileUrlTest, VeryLongUrlsAreParsedInOnePass) {
  const std::string longName(1 << 20, 'n');
  EXPECT_FALSE(Parse("vexost://" + longName + "/x.htm"));
  ASSERT_FALSE(services.pages.empty());
  EXPECT_EQ(services.pages.back().page, 3u);
  EXPECT_EQ(services.pages.back().args.at(0).size(), longName.size());

  std::string parts;
  for (int i = 0; i < 100000; ++i) parts += "FirmCode:1::x::file:";
  EXPECT_FALSE(Parse("vexost://" + parts));
  EXPECT_EQ(services.pages.back().page, 2u);

  std::string escapes;
  for (int i = 0; i < 200000; ++i) escapes += "%zz%4";
  EXPECT_TRUE(Parse("vexost://A/" + escapes));
  EXPECT_EQ(request.topicPath.size(), 200000u * 4);

  const std::string letters(1 << 20, 'x');
  EXPECT_FALSE(Parse("vexost://A/:" + letters));
  EXPECT_EQ(services.pages.back().args.at(0).size(), letters.size());
  // The first "::" ends the name "A/", which is no archive.
  const std::string colons(1 << 20, ':');
  EXPECT_FALSE(Parse("vexost://A/" + colons));
  EXPECT_EQ(services.pages.back(), (ArrangedPage{3, {"A/"}}));
  // Huge numbers are syntax errors.
  EXPECT_FALSE(Parse("vexost://FirmCode:" + std::string(5000, '9') + "::A/"));
  EXPECT_EQ(services.pages.back().page, 1u);
  EXPECT_FALSE(Parse("vexost://A/:" + std::string(5000, '9')));
  EXPECT_EQ(services.pages.back().page, 1u);
}

TEST_F(HostileUrlTest, LoneEscapesAtEveryPlace) {
  EXPECT_FALSE(Parse("%"));
  EXPECT_EQ(services.pages.back(), (ArrangedPage{1, {"%"}}));
  EXPECT_FALSE(Parse("vexost:%"));
  EXPECT_EQ(services.pages.back(), (ArrangedPage{11, {}}));
  EXPECT_FALSE(Parse("vexost://%"));
  EXPECT_EQ(services.pages.back(), (ArrangedPage{3, {"%"}}));
  EXPECT_TRUE(Parse("vexost://A/%"));
  EXPECT_EQ(request.topicPath, "%");
}

}  // namespace
}  // namespace request_url_tests
