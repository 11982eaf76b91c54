// The vexost: URL grammar: every form of the archive part, the topic part, the
// pages arranged for failures, and what the grammar remembers across requests.
#include <gtest/gtest.h>

#include <cstdlib>

#include "reader/RequestUrl.h"
#include "reader/tests/RequestUrlTestSupport.h"

namespace request_url_tests {
namespace {

constexpr std::uint32_t kNone = RequestUrl::kNone;

class RequestUrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    services.registered = {{"MyArchive", {"/docs/my.vxb", 10}},   {"Manual", {"/docs/manual.vxb", 7}},
                           {"Manual2", {"/docs/manual2.vxb", 8}}, {"Hex", {"/docs/hex.vxb", 26}},
                           {"Big", {"/docs/big.vxb", 1048575}},   {"Zero", {"/docs/zero.vxb", 0}},
                           {"MyArchive/dir", {"/docs/odd.vxb", 3}}, {"Caf\xC3\xA9", {"/docs/cafe.vxb", 1}}};
  }

  bool Parse(std::string_view url) {
    request = RequestUrl{};
    return grammar.ParseRequestUrl(url, request, services);
  }
  void ForgetCalls() {
    services.pages.clear();
    services.resolutions.clear();
    services.cacheClearings = 0;
  }

  RequestUrlGrammar grammar;
  RecordingServices services;
  RequestUrl request;
};

// One URL read by a grammar that has read nothing before: the page it arranges
// (page 0: none, the URL was read), the names it resolves and what it read.
struct Reading {
  const char* url;
  ArrangedPage page;
  std::vector<Resolution> resolved;
  const char* path = "";
  const char* name = "";
  std::uint32_t firmCode = kNone;
  const char* topic = "";
  std::uint32_t number = kNone;
  const char* archiveUrl = nullptr;  // also the prefix kept; null: not checked
};

const ArrangedPage kRead{0, {}};
const ArrangedPage kList{11, {}};
const ArrangedPage kNoName{2, {}};
ArrangedPage Syntax(const char* location) { return {1, {location}}; }
const std::vector<Resolution> kMine{{"MyArchive", kNone}};

TEST_F(RequestUrlTest, EveryFormOfUrlReadsAsExpected) {
  const Reading cases[] = {
      // Scheme: without "//" the list page, another scheme or one "/" a syntax error.
      {"vexost:", kList, {}},
      {"VEXOST:list", kList, {}},
      {"vexost:x/y", kList, {}},
      {"http://MyArchive/", Syntax("http://MyArchive/"), {}},
      {"vexos", Syntax("vexos"), {}},
      {"", Syntax(""), {}},
      {"vexost:/MyArchive", Syntax("MyArchive"), {}},
      {"vexost:/", Syntax(""), {}},
      {"Vexost://MyArchive", kRead, kMine, "/docs/my.vxb", "MyArchive", 10},
      // Neither name nor file.
      {"vexost://", kNoName, {}},
      {"vexost:///page.htm", kNoName, {}},
      {"vexost://#x", kNoName, {}},
      {"vexost://::x", kNoName, {}},
      {"vexost://file:", kNoName, {}},
      {"vexost://FirmCode:10::", kNoName, {}},
      {"vexost://file:::/a.htm", kNoName, {}},
      // Firm codes: decimal or hexadecimal, before or after the name, up to 0xFFFFF.
      {"vexost://FirmCode:0x1A::Hex/", kRead, {{"Hex", 26}}, "/docs/hex.vxb", "Hex", 26},
      {"vexost://firmcode:10::MyArchive/page.htm", kRead, {{"MyArchive", 10}}, "/docs/my.vxb",
       "MyArchive", 10, "page.htm"},
      {"vexost://Big::FirmCode:1048575/a.htm", kRead, {{"Big", 1048575}}, "/docs/big.vxb", "Big",
       1048575, "a.htm"},
      {"vexost://FirmCode:0Zero/", kRead, {{"Zero", 0}}, "/docs/zero.vxb", "Zero", 0},
      {"vexost://FirmCode:1048576::MyArchive/", Syntax("1048576::MyArchive/"), {}},
      {"vexost://FirmCode:0x100000::MyArchive/", Syntax("0x100000::MyArchive/"), {}},
      {"vexost://FirmCode:99999999999::MyArchive/", Syntax("99999999999::MyArchive/"), {}},
      {"vexost://FirmCode:x::MyArchive/", Syntax("x::MyArchive/"), {}},
      {"vexost://FirmCode:0x::MyArchive/", Syntax("0x::MyArchive/"), {}},
      {"vexost://FirmCode:-1::MyArchive/", Syntax("-1::MyArchive/"), {}},
      {"vexost://MyArchive::FirmCode:", Syntax(""), {}},
      // Catalog failures end the parse with their page.
      {"vexost://Unknown/a.htm", {3, {"Unknown"}}, {{"Unknown", kNone}}},
      {"vexost://FirmCode:11::MyArchive/a.htm", {4, {"MyArchive", "11"}}, {{"MyArchive", 11}}},
      // Names end at "/", "#" or "::"; a later name replaces an earlier one.
      {"vexost://MyArchive/dir/page.htm", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "dir/page.htm"},
      {"vexost://MyArchive#top", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "#top"},
      {"vexost://Unknown::MyArchive/a.htm", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "a.htm"},
      {"vexost://MyArchive/dir::/a.htm", kRead, {{"MyArchive/dir", kNone}}, "/docs/odd.vxb",
       "MyArchive/dir", 3, "a.htm"},
      {"vexost://Caf%C3%A9/r%C3%A9sum%C3%A9.htm", kRead, {{"Caf\xC3\xA9", kNone}}, "/docs/cafe.vxb",
       "Caf\xC3\xA9", 1, "r\xC3\xA9sum\xC3\xA9.htm"},
      {"vexost://Caf\xC3\xA9/", kRead, {{"Caf\xC3\xA9", kNone}}, "/docs/cafe.vxb", "Caf\xC3\xA9", 1},
      // Files: taken as written (bars and backslashes made the usual way), never
      // expanded, running to "::", else to the first ".vxb/", else to the end.
      {"vexost://file:C|\\a\\b.vxb", kRead, {}, "C:/a/b.vxb"},
      {"vexost://file:%VXST_URL_DOCS%\\x.vxb", kRead, {}, "%VXST_URL_DOCS%/x.vxb"},
      {"vexost://FILE:%25VXST_URL_DOCS%25/y.vxb::/", kRead, {}, "%VXST_URL_DOCS%/y.vxb"},
      {"vexost://file:C:\\a\\b.vxb::/page.htm", kRead, {}, "C:/a/b.vxb", "", kNone, "page.htm", kNone,
       "vexost://file:C:/a/b.vxb::/"},
      {"vexost://file:C:\\a\\b.vxb/page.htm", kRead, {}, "C:/a/b.vxb", "", kNone, "page.htm", kNone,
       "vexost://file:C:/a/b.vxb/"},
      {"vexost://file:/a/B.VXB/sub/x.vxb/p.htm", kRead, {}, "/a/B.VXB", "", kNone, "sub/x.vxb/p.htm",
       kNone, "vexost://file:/a/B.VXB/"},
      {"vexost://file:/a/b.vxb", kRead, {}, "/a/b.vxb", "", kNone, "", kNone, "vexost://file:/a/b.vxb/"},
      {"vexost://file:/a/manual/page.htm", kRead, {}, "/a/manual/page.htm", "", kNone, "", kNone,
       "vexost://file:/a/manual/page.htm::/"},
      {"vexost://file:/a/manual/", kRead, {}, "/a/manual", "", kNone, "", kNone,
       "vexost://file:/a/manual::/"},
      {"vexost://file:/a/b.vxbx/", kRead, {}, "/a/b.vxbx", "", kNone, "", kNone,
       "vexost://file:/a/b.vxbx::/"},
      {"vexost://file:/a/b:", kRead, {}, "/a/b:", "", kNone, "", kNone, ""},  // no "::" to end it early
      // A file clears an earlier name; a name after it is kept, unresolved.
      {"vexost://MyArchive::file:/x.vxb::/a.htm", kRead, {}, "/x.vxb", "", kNone, "a.htm"},
      {"vexost://file:/x.vxb::MyArchive/a.htm", kRead, {}, "/x.vxb", "MyArchive", kNone, "a.htm"},
      // Topics: one trailing "/" goes; a number follows a ":".
      {"vexost://MyArchive/dir/page.htm/", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "dir/page.htm"},
      {"vexost://MyArchive/dir//", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "dir/"},
      {"vexost://MyArchive/", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "", kNone,
       "vexost://MyArchive/"},
      {"vexost://MyArchive/:12", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "", 12},
      {"vexost://MyArchive/:7x", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "", 7},
      {"vexost://MyArchive/dir/x:0", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "", 0},
      {"vexost://MyArchive/:4294967295", kRead, kMine, "/docs/my.vxb", "MyArchive", 10, "", 4294967295u},
      {"vexost://MyArchive/:x", Syntax("x"), kMine},
      {"vexost://MyArchive/:", Syntax(""), kMine},
      {"vexost://MyArchive/:4294967296", Syntax("4294967296"), kMine},
      {"vexost://MyArchive/a:b:1", Syntax("b:1"), kMine},
      {"vexost://MyArchive/: 5", Syntax(" 5"), kMine},
  };
  ::setenv("VXST_URL_DOCS", "/srv/docs", 1);
  for (const Reading& c : cases) {
    RequestUrlGrammar fresh;
    RecordingServices calls;
    calls.registered = services.registered;
    RequestUrl read;
    EXPECT_EQ(fresh.ParseRequestUrl(c.url, read, calls), c.page.page == 0) << c.url;
    EXPECT_EQ(calls.pages, c.page.page == 0 ? std::vector<ArrangedPage>{} : std::vector{c.page}) << c.url;
    EXPECT_EQ(calls.resolutions, c.resolved) << c.url;
    if (c.page.page != 0) continue;
    EXPECT_EQ(read.archivePath, c.path) << c.url;
    EXPECT_EQ(read.archiveName, c.name) << c.url;
    EXPECT_EQ(read.firmCode, c.firmCode) << c.url;
    EXPECT_EQ(read.topicPath, c.topic) << c.url;
    EXPECT_EQ(read.topicNumber, c.number) << c.url;
    if (c.archiveUrl) {
      EXPECT_EQ(read.archiveUrl, c.archiveUrl) << c.url;
      EXPECT_EQ(fresh.GetArchivePrefix(), c.archiveUrl) << c.url;
    }
  }
  ::unsetenv("VXST_URL_DOCS");
}

// --- Across requests -------------------------------------------------------

// The prefix of the last archive URL read spares the catalog and the clearing of
// the cache entries, and only for URLs that begin with it exactly.
TEST_F(RequestUrlTest, ArchivePrefixSparesTheCatalogForItsOwnUrlsOnly) {
  struct Step {
    const char* url;
    bool read;
    bool catalog;  // the name was resolved, the cache entries cleared
    const char* prefix;
  };
  const Step steps[] = {
      {"vexost://MyArchive/a.htm", true, true, "vexost://MyArchive/"},
      {"vexost://MyArchive/b.htm", true, false, "vexost://MyArchive/"},
      {"vexost://MyArchive/:3", true, false, "vexost://MyArchive/"},
      {"vexost://MyArchive/", true, false, "vexost://MyArchive/"},
      {"vexost://myarchive/b.htm", false, true, "vexost://MyArchive/"},  // compared exactly
      {"vexost://Unknown/a.htm", false, true, "vexost://MyArchive/"},    // kept through failures
      {"vexost://Manual", true, true, "vexost://Manual/"},
      {"vexost://Manual2/x.htm", true, true, "vexost://Manual2/"},  // not the archive Manual
      {"vexost://FirmCode:7::Manual::#x", true, true, "vexost://FirmCode:7::Manual::/"},
      {"vexost://MyArchive/a.htm", true, true, "vexost://MyArchive/"},
  };
  for (const Step& step : steps) {
    ForgetCalls();
    EXPECT_EQ(Parse(step.url), step.read) << step.url;
    EXPECT_EQ(services.resolutions.size(), step.catalog ? 1u : 0u) << step.url;
    EXPECT_EQ(services.cacheClearings, step.catalog ? 1 : 0) << step.url;
    EXPECT_EQ(grammar.GetArchivePrefix(), step.prefix) << step.url;
  }
  // Read through the prefix, the request names no archive of its own.
  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));
  EXPECT_EQ(request.archivePath, "");
  EXPECT_EQ(request.firmCode, kNone);
  EXPECT_EQ(request.topicPath, "b.htm");
  grammar.ClearArchivePrefix();
  ForgetCalls();
  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));
  EXPECT_EQ(request.archivePath, "/docs/my.vxb");
  // Every full parse clears the cache entries, also one that fails.
  Parse("vexost:");
  Parse("http://x");
  EXPECT_EQ(services.cacheClearings, 3);
}

// Every URL reads as it reads first, whatever URL was read before it: the prefix
// only spares the catalog. A URL that skipped its archive part means the archive
// of the URL before it.
TEST_F(RequestUrlTest, EveryUrlReadsTheSameAfterAnyOther) {
  const char* const urls[] = {
      "vexost://Manual/a.htm", "vexost://Manual/", "vexost://Manual", "vexost://Manual/:3",
      "vexost://Manual/:x", "vexost://Manual/x:y.htm", "vexost://Manual/a::MyArchive/b.htm",
      "vexost://Manual::/c.htm", "vexost://FirmCode:7::Manual/d.htm", "vexost://Manual2/e.htm",
      "vexost://MyArchive/f.htm", "vexost://Unknown/g.htm", "vexost://file:/x/a.vxb/",
      "vexost://file:/x/a.vxb/h.htm", "vexost://file:/x/a.vxb::/i.htm", "vexost://file:/x/archive/",
      "vexost://file:/x/archive/j.htm", "vexost://file:/x/archive::/k.htm",
      "vexost://Manual/%3A%3AMyArchive/l.htm", "vexost://Manual/dir|/m.htm", "vexost:",
      "vexost:/Manual", "vexost://Manual/#n", "vexost://Manual#o/p.htm", "vexost://file:/x/b:",
      "vexost://file:/x/b:::/q.htm"};
  struct Outcome {
    bool read = false;
    std::string archive, topicPath, archiveUrl;
    std::uint32_t topicNumber = kNone;
    std::vector<ArrangedPage> pages;
    bool operator==(const Outcome&) const = default;
  };
  const auto read = [this](RequestUrlGrammar& grammar, std::string_view url, const std::string& open) {
    RecordingServices local;
    local.registered = services.registered;
    RequestUrl result;
    Outcome outcome;
    outcome.read = grammar.ParseRequestUrl(url, result, local);
    if (outcome.read) {
      outcome.archive = result.archivePath.empty() ? open : result.archivePath;
      outcome.topicPath = result.topicPath;
      outcome.archiveUrl = result.archiveUrl;
      outcome.topicNumber = result.topicNumber;
    }
    outcome.pages = local.pages;
    return outcome;
  };
  for (const char* before : urls) {
    for (const char* url : urls) {
      RequestUrlGrammar fresh, used;
      const Outcome first = read(used, before, "");
      EXPECT_EQ(read(used, url, first.archive), read(fresh, url, "")) << url << " after " << before;
    }
  }
}

// The last URL is kept as received, also on failure. The record holds name and
// firm code of the last archive part read; a URL read only in part changes
// neither record nor prefix.
TEST_F(RequestUrlTest, LastUrlAndRecordOfTheLastArchivePart) {
  EXPECT_TRUE(Parse("vexost://My%41rchive/a%20b.htm"));
  EXPECT_EQ(grammar.GetLastUrl(), "vexost://My%41rchive/a%20b.htm");
  EXPECT_EQ(request.archiveName, "MyArchive");
  EXPECT_EQ(request.topicPath, "a b.htm");
  EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://MyArchive/");
  EXPECT_EQ(grammar.GetRecordName(), "MyArchive");
  EXPECT_EQ(grammar.GetRecordFirmCode(), 10u);
  EXPECT_FALSE(Parse("vexost:/bad%7C"));
  EXPECT_EQ(grammar.GetLastUrl(), "vexost:/bad%7C");
  EXPECT_EQ(services.pages.back().args, std::vector<std::string>{"bad|"});
  EXPECT_TRUE(Parse("vexost://Manual/a.htm"));
  for (const char* url : {"vexost://MyArchive/:x", "vexost://MyArchive/x:y.htm"}) {
    EXPECT_FALSE(Parse(url)) << url;
    EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://Manual/") << url;
    EXPECT_EQ(grammar.GetRecordName(), "Manual") << url;
  }
  EXPECT_TRUE(Parse("vexost://Manual/b.htm"));  // prefix: record unchanged
  EXPECT_EQ(grammar.GetRecordName(), "Manual");
  EXPECT_TRUE(Parse("vexost://file:/x.vxb::/"));
  EXPECT_EQ(grammar.GetRecordName(), "");
  EXPECT_EQ(grammar.GetRecordFirmCode(), kNone);
  EXPECT_TRUE(Parse("vexost://FirmCode:5::file:/y.vxb::Label/"));
  EXPECT_EQ(grammar.GetRecordName(), "Label");
  EXPECT_EQ(grammar.GetRecordFirmCode(), 5u);
  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));
  EXPECT_EQ(request.archivePath, "/docs/my.vxb");
}

}  // namespace
}  // namespace request_url_tests
