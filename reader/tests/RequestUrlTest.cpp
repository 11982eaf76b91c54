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
    services.registered["MyArchive"] = {"/docs/my.vxb", 10};
    services.registered["Manual"] = {"/docs/manual.vxb", 7};
    services.registered["Manual2"] = {"/docs/manual2.vxb", 8};
  }

  bool Parse(std::string_view url) {
    request = RequestUrl{};
    return grammar.ParseRequestUrl(url, request, services);
  }
  // The one page arranged by the last parse.
  ArrangedPage OnlyPage() const {
    EXPECT_EQ(services.pages.size(), 1u);
    return services.pages.empty() ? ArrangedPage{} : services.pages.back();
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

// --- Scheme ----------------------------------------------------------------

TEST_F(RequestUrlTest, SchemeWithoutSlashAsksForTheListPage) {
  for (const char* url : {"vexost:", "VEXOST:list", "vexost:x/y", "VeXoSt:#"}) {
    ForgetCalls();
    EXPECT_FALSE(Parse(url)) << url;
    EXPECT_EQ(OnlyPage(), (ArrangedPage{11, {}})) << url;
    EXPECT_TRUE(services.resolutions.empty());
  }
}

TEST_F(RequestUrlTest, SchemeIsComparedWithoutRegardToCase) {
  EXPECT_TRUE(Parse("Vexost://MyArchive"));
  EXPECT_EQ(request.archivePath, "/docs/my.vxb");
  EXPECT_EQ(request.archiveName, "MyArchive");
  EXPECT_EQ(request.firmCode, 10u);
  EXPECT_EQ(request.topicNumber, kNone);
  EXPECT_EQ(request.topicPath, "");
  EXPECT_TRUE(services.pages.empty());
}

TEST_F(RequestUrlTest, OtherSchemesAreSyntaxErrorsAtTheFirstCharacter) {
  EXPECT_FALSE(Parse("http://MyArchive/"));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {"http://MyArchive/"}}));
  ForgetCalls();
  EXPECT_FALSE(Parse("vexos"));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {"vexos"}}));
  ForgetCalls();
  EXPECT_FALSE(Parse(""));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {""}}));
}

TEST_F(RequestUrlTest, OneSlashIsASyntaxErrorAtTheTextAfterIt) {
  EXPECT_FALSE(Parse("vexost:/MyArchive"));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {"MyArchive"}}));
  ForgetCalls();
  EXPECT_FALSE(Parse("VEXOST:/x"));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {"x"}}));
  EXPECT_EQ(grammar.GetLastUrl(), "VEXOST:/x");
  ForgetCalls();
  EXPECT_FALSE(Parse("vexost:/"));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {""}}));
}

TEST_F(RequestUrlTest, NeitherNameNorFileGivesPage2) {
  for (const char* url : {"vexost://", "vexost:///page.htm", "vexost://#x", "vexost://::x",
                          "vexost://file:", "vexost://FirmCode:10::", "vexost://file:::/a.htm"}) {
    ForgetCalls();
    EXPECT_FALSE(Parse(url)) << url;
    EXPECT_EQ(OnlyPage(), (ArrangedPage{2, {}})) << url;
    EXPECT_TRUE(services.resolutions.empty()) << url;
  }
}

// --- Firm codes ------------------------------------------------------------

TEST_F(RequestUrlTest, FirmCodeIsDecimalOrHexadecimal) {
  services.registered["MyArchive"].firmCode = 26;
  EXPECT_TRUE(Parse("vexost://FirmCode:0x1A::MyArchive/"));
  EXPECT_EQ(services.resolutions, (std::vector<Resolution>{{"MyArchive", 26}}));
  EXPECT_EQ(request.firmCode, 26u);

  services.registered["MyArchive"].firmCode = 10;
  EXPECT_TRUE(Parse("vexost://firmcode:10::MyArchive/page.htm"));
  EXPECT_EQ(services.resolutions.back(), (Resolution{"MyArchive", 10}));
  EXPECT_EQ(request.topicPath, "page.htm");
}

TEST_F(RequestUrlTest, FirmCodeMayStandAfterTheNameAndWithoutSeparator) {
  services.registered["MyArchive"].firmCode = 1048575;
  EXPECT_TRUE(Parse("vexost://MyArchive::FirmCode:1048575/a.htm"));
  EXPECT_EQ(services.resolutions, (std::vector<Resolution>{{"MyArchive", 1048575}}));
  EXPECT_EQ(request.topicPath, "a.htm");

  services.registered["MyArchive"].firmCode = 0;
  EXPECT_TRUE(Parse("vexost://FirmCode:0MyArchive/"));
  EXPECT_EQ(services.resolutions.back(), (Resolution{"MyArchive", 0}));
}

TEST_F(RequestUrlTest, FirmCodeThatIsNoNumberOrTooLargeGivesPage1AfterTheKeyword) {
  const std::pair<const char*, const char*> cases[] = {
      {"vexost://FirmCode:1048576::MyArchive/", "1048576::MyArchive/"},
      {"vexost://FirmCode:0x100000::MyArchive/", "0x100000::MyArchive/"},
      {"vexost://FirmCode:99999999999::MyArchive/", "99999999999::MyArchive/"},
      {"vexost://FirmCode:x::MyArchive/", "x::MyArchive/"},
      {"vexost://FirmCode:0x::MyArchive/", "0x::MyArchive/"},
      {"vexost://FirmCode:-1::MyArchive/", "-1::MyArchive/"},
      {"vexost://MyArchive::FirmCode:", ""},
  };
  for (const auto& [url, location] : cases) {
    ForgetCalls();
    EXPECT_FALSE(Parse(url)) << url;
    EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {location}})) << url;
    EXPECT_TRUE(services.resolutions.empty()) << url;
  }
}

TEST_F(RequestUrlTest, CatalogFailuresEndTheParseWithTheirPage) {
  EXPECT_FALSE(Parse("vexost://Unknown/a.htm"));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{3, {"Unknown"}}));
  ForgetCalls();
  EXPECT_FALSE(Parse("vexost://FirmCode:11::MyArchive/a.htm"));
  EXPECT_EQ(OnlyPage(), (ArrangedPage{4, {"MyArchive", "11"}}));
  EXPECT_EQ(grammar.GetArchivePrefix(), "");
}

// --- Names -----------------------------------------------------------------

TEST_F(RequestUrlTest, NameEndsAtSlashHashOrDoubleColon) {
  EXPECT_TRUE(Parse("vexost://MyArchive/dir/page.htm"));
  EXPECT_EQ(services.resolutions.back().name, "MyArchive");
  EXPECT_EQ(request.topicPath, "dir/page.htm");

  EXPECT_TRUE(Parse("vexost://MyArchive#top"));
  EXPECT_EQ(services.resolutions.back().name, "MyArchive");
  EXPECT_EQ(request.topicPath, "#top");
}

TEST_F(RequestUrlTest, LaterNameReplacesEarlierOne) {
  EXPECT_TRUE(Parse("vexost://Unknown::MyArchive/a.htm"));
  EXPECT_EQ(services.resolutions, (std::vector<Resolution>{{"MyArchive", kNone}}));
  EXPECT_EQ(request.archiveName, "MyArchive");
}

TEST_F(RequestUrlTest, DoubleColonAnywhereEndsTheNameThere) {
  // Without "/" before it, the text up to "::" is one name.
  services.registered["MyArchive/dir"] = {"/docs/odd.vxb", 3};
  EXPECT_TRUE(Parse("vexost://MyArchive/dir::/a.htm"));
  EXPECT_EQ(services.resolutions.back().name, "MyArchive/dir");
  EXPECT_EQ(request.topicPath, "a.htm");
}

TEST_F(RequestUrlTest, NonAsciiNamesArriveAsUtf8) {
  services.registered["Caf\xC3\xA9"] = {"/docs/cafe.vxb", 1};
  EXPECT_TRUE(Parse("vexost://Caf%C3%A9/r%C3%A9sum%C3%A9.htm"));
  EXPECT_EQ(request.archiveName, "Caf\xC3\xA9");
  EXPECT_EQ(request.topicPath, "r\xC3\xA9sum\xC3\xA9.htm");
  grammar.ClearArchivePrefix();
  EXPECT_TRUE(Parse("vexost://Caf\xC3\xA9/"));
  EXPECT_EQ(request.archivePath, "/docs/cafe.vxb");
}

// --- Files -----------------------------------------------------------------

TEST_F(RequestUrlTest, FilePathWithBarAndBackslashes) {
  EXPECT_TRUE(Parse("vexost://file:C|\\a\\b.vxb"));
  EXPECT_EQ(request.archivePath, "C:/a/b.vxb");
  EXPECT_EQ(request.archiveName, "");
  EXPECT_TRUE(services.resolutions.empty());
  EXPECT_EQ(request.topicNumber, kNone);
  EXPECT_EQ(request.topicPath, "");
}

TEST_F(RequestUrlTest, FilePathsAreTakenAsWrittenNeverExpanded) {
  ::setenv("VXST_URL_DOCS", "/srv/docs", 1);
  EXPECT_TRUE(Parse("vexost://file:%VXST_URL_DOCS%\\x.vxb"));
  EXPECT_EQ(request.archivePath, "%VXST_URL_DOCS%/x.vxb");
  EXPECT_TRUE(Parse("vexost://FILE:%25VXST_URL_DOCS%25/y.vxb::/"));
  EXPECT_EQ(request.archivePath, "%VXST_URL_DOCS%/y.vxb");
  ::unsetenv("VXST_URL_DOCS");
}

// A file path runs to "::", else to the first ".vxb/", else to the end; the
// archive URL names the same archive before any topic path.
TEST_F(RequestUrlTest, FilePathsEndAtDoubleColonArchiveExtensionOrTheEnd) {
  struct Case {
    const char* url;
    const char* path;
    const char* topic;
    const char* archiveUrl;
  };
  const Case cases[] = {
      {"vexost://file:C:\\a\\b.vxb::/page.htm", "C:/a/b.vxb", "page.htm", "vexost://file:C:/a/b.vxb::/"},
      {"vexost://file:C:\\a\\b.vxb/page.htm", "C:/a/b.vxb", "page.htm", "vexost://file:C:/a/b.vxb/"},
      {"vexost://file:/a/B.VXB/sub/x.vxb/p.htm", "/a/B.VXB", "sub/x.vxb/p.htm", "vexost://file:/a/B.VXB/"},
      {"vexost://file:/a/b.vxb", "/a/b.vxb", "", "vexost://file:/a/b.vxb/"},
      {"vexost://file:/a/manual/page.htm", "/a/manual/page.htm", "", "vexost://file:/a/manual/page.htm::/"},
      {"vexost://file:/a/manual/", "/a/manual", "", "vexost://file:/a/manual::/"},
      {"vexost://file:/a/b.vxbx/", "/a/b.vxbx", "", "vexost://file:/a/b.vxbx::/"},
      {"vexost://file:/a/b:", "/a/b:", "", ""},  // "::" after it would end it early
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Parse(c.url)) << c.url;
    EXPECT_EQ(request.archivePath, c.path) << c.url;
    EXPECT_EQ(request.topicPath, c.topic) << c.url;
    EXPECT_EQ(request.archiveUrl, c.archiveUrl) << c.url;
    EXPECT_EQ(grammar.GetArchivePrefix(), c.archiveUrl) << c.url;
  }
}

TEST_F(RequestUrlTest, FileClearsAnEarlierNameAndANameAfterItIsKeptUnresolved) {
  EXPECT_TRUE(Parse("vexost://MyArchive::file:/x.vxb::/a.htm"));
  EXPECT_EQ(request.archiveName, "");
  EXPECT_EQ(request.archivePath, "/x.vxb");

  EXPECT_TRUE(Parse("vexost://file:/x.vxb::MyArchive/a.htm"));
  EXPECT_EQ(request.archivePath, "/x.vxb");
  EXPECT_EQ(request.archiveName, "MyArchive");
  EXPECT_EQ(request.firmCode, kNone);
  EXPECT_TRUE(services.resolutions.empty());
  EXPECT_EQ(request.topicPath, "a.htm");
}

// --- Topics ----------------------------------------------------------------

TEST_F(RequestUrlTest, TopicPathLosesOneTrailingSlash) {
  EXPECT_TRUE(Parse("vexost://MyArchive/dir/page.htm/"));
  EXPECT_EQ(request.topicPath, "dir/page.htm");
  EXPECT_TRUE(Parse("vexost://MyArchive/dir//"));
  EXPECT_EQ(request.topicPath, "dir/");
  EXPECT_TRUE(Parse("vexost://MyArchive/"));
  EXPECT_EQ(request.topicPath, "");
  EXPECT_EQ(request.topicNumber, kNone);
}

TEST_F(RequestUrlTest, TopicNumberAfterColon) {
  EXPECT_TRUE(Parse("vexost://MyArchive/:12"));
  EXPECT_EQ(request.topicNumber, 12u);
  EXPECT_EQ(request.topicPath, "");
  EXPECT_TRUE(Parse("vexost://MyArchive/:7x"));
  EXPECT_EQ(request.topicNumber, 7u);
  EXPECT_TRUE(Parse("vexost://MyArchive/dir/x:0"));
  EXPECT_EQ(request.topicNumber, 0u);
  EXPECT_TRUE(Parse("vexost://MyArchive/:4294967295"));
  EXPECT_EQ(request.topicNumber, 4294967295u);
}

TEST_F(RequestUrlTest, TopicNumberThatIsNoNumberGivesPage1AfterTheColon) {
  const std::pair<const char*, const char*> cases[] = {
      {"vexost://MyArchive/:x", "x"},
      {"vexost://MyArchive/:", ""},
      {"vexost://MyArchive/:4294967296", "4294967296"},
      {"vexost://MyArchive/a:b:1", "b:1"},
      {"vexost://MyArchive/: 5", " 5"},
  };
  for (const auto& [url, location] : cases) {
    ForgetCalls();
    EXPECT_FALSE(Parse(url)) << url;
    EXPECT_EQ(OnlyPage(), (ArrangedPage{1, {location}})) << url;
  }
}

// --- Across requests -------------------------------------------------------

TEST_F(RequestUrlTest, ArchivePrefixSkipsTheCatalogAndTheCacheClearing) {
  EXPECT_TRUE(Parse("vexost://MyArchive/a.htm"));
  EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://MyArchive/");
  EXPECT_EQ(services.cacheClearings, 1);
  ForgetCalls();

  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));
  EXPECT_TRUE(services.resolutions.empty());
  EXPECT_EQ(services.cacheClearings, 0);
  EXPECT_EQ(request.archivePath, "");
  EXPECT_EQ(request.firmCode, kNone);
  EXPECT_EQ(request.topicPath, "b.htm");

  EXPECT_TRUE(Parse("vexost://MyArchive/:3"));
  EXPECT_EQ(request.topicNumber, 3u);
  EXPECT_TRUE(Parse("vexost://MyArchive/"));
  EXPECT_EQ(request.topicPath, "");
  EXPECT_TRUE(services.resolutions.empty());
}

TEST_F(RequestUrlTest, ArchivePrefixIsComparedExactly) {
  EXPECT_TRUE(Parse("vexost://MyArchive/a.htm"));
  ForgetCalls();
  Parse("vexost://myarchive/b.htm");
  EXPECT_EQ(services.resolutions, (std::vector<Resolution>{{"myarchive", kNone}}));
  EXPECT_EQ(services.cacheClearings, 1);
}

TEST_F(RequestUrlTest, ArchiveUrlsEndWithASlash) {
  // "vexost://Manual" must not claim the URLs of the archive Manual2.
  EXPECT_TRUE(Parse("vexost://Manual"));
  EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://Manual/");
  EXPECT_TRUE(Parse("vexost://FirmCode:7::Manual::#x"));
  EXPECT_EQ(request.archiveUrl, "vexost://FirmCode:7::Manual::/");
  EXPECT_TRUE(Parse("vexost://Manual2/x.htm"));
  EXPECT_EQ(request.archivePath, "/docs/manual2.vxb");
  EXPECT_EQ(request.topicPath, "x.htm");
  EXPECT_EQ(services.resolutions.back().name, "Manual2");
}

TEST_F(RequestUrlTest, PrefixStaysThroughFailuresAndGoesWhenCleared) {
  EXPECT_TRUE(Parse("vexost://MyArchive/a.htm"));
  EXPECT_FALSE(Parse("vexost://Unknown/a.htm"));
  EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://MyArchive/");
  grammar.ClearArchivePrefix();
  ForgetCalls();
  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));
  EXPECT_EQ(services.resolutions.size(), 1u);
  EXPECT_EQ(request.archivePath, "/docs/my.vxb");
}

TEST_F(RequestUrlTest, AUrlReadOnlyInPartChangesNeitherPrefixNorRecord) {
  EXPECT_TRUE(Parse("vexost://Manual/a.htm"));
  for (const char* url : {"vexost://MyArchive/:x", "vexost://MyArchive/x:y.htm"}) {
    EXPECT_FALSE(Parse(url)) << url;
    EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://Manual/") << url;
    EXPECT_EQ(grammar.GetRecordName(), "Manual") << url;
  }
  ForgetCalls();
  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));
  EXPECT_EQ(request.archivePath, "/docs/my.vxb");
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
  struct Reading {
    bool read = false;
    std::string archive, topicPath, archiveUrl;
    std::uint32_t topicNumber = kNone;
    std::vector<ArrangedPage> pages;
    bool operator==(const Reading&) const = default;
  };
  const auto read = [this](RequestUrlGrammar& grammar, std::string_view url, const std::string& open) {
    RecordingServices local;
    local.registered = services.registered;
    RequestUrl result;
    Reading reading;
    reading.read = grammar.ParseRequestUrl(url, result, local);
    if (reading.read) {
      reading.archive = result.archivePath.empty() ? open : result.archivePath;
      reading.topicPath = result.topicPath;
      reading.archiveUrl = result.archiveUrl;
      reading.topicNumber = result.topicNumber;
    }
    reading.pages = local.pages;
    return reading;
  };
  for (const char* before : urls) {
    for (const char* url : urls) {
      RequestUrlGrammar fresh, used;
      const Reading first = read(used, before, "");
      EXPECT_EQ(read(used, url, first.archive), read(fresh, url, "")) << url << " after " << before;
    }
  }
}

TEST_F(RequestUrlTest, NewArchiveReplacesThePrefix) {
  EXPECT_TRUE(Parse("vexost://MyArchive/a.htm"));
  EXPECT_TRUE(Parse("vexost://Manual/a.htm"));
  EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://Manual/");
  ForgetCalls();
  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));
  EXPECT_EQ(services.resolutions.size(), 1u);
}

TEST_F(RequestUrlTest, EveryFullParseClearsTheCacheEntries) {
  Parse("vexost:");
  Parse("http://x");
  Parse("vexost://Unknown/");
  EXPECT_EQ(services.cacheClearings, 3);
}

TEST_F(RequestUrlTest, LastUrlIsKeptAsReceivedAlsoOnFailure) {
  EXPECT_TRUE(Parse("vexost://My%41rchive/a%20b.htm"));
  EXPECT_EQ(grammar.GetLastUrl(), "vexost://My%41rchive/a%20b.htm");
  EXPECT_EQ(request.archiveName, "MyArchive");
  EXPECT_EQ(request.topicPath, "a b.htm");
  EXPECT_EQ(grammar.GetArchivePrefix(), "vexost://MyArchive/");
  EXPECT_FALSE(Parse("vexost:/bad%7C"));
  EXPECT_EQ(grammar.GetLastUrl(), "vexost:/bad%7C");
  EXPECT_EQ(OnlyPage().args, std::vector<std::string>{"bad|"});
}

TEST_F(RequestUrlTest, RecordHoldsNameAndFirmCodeOfTheLastArchivePart) {
  EXPECT_TRUE(Parse("vexost://MyArchive/a.htm"));
  EXPECT_EQ(grammar.GetRecordName(), "MyArchive");
  EXPECT_EQ(grammar.GetRecordFirmCode(), 10u);
  EXPECT_TRUE(Parse("vexost://MyArchive/b.htm"));  // prefix: record unchanged
  EXPECT_EQ(grammar.GetRecordName(), "MyArchive");
  EXPECT_TRUE(Parse("vexost://file:/x.vxb::/"));
  EXPECT_EQ(grammar.GetRecordName(), "");
  EXPECT_EQ(grammar.GetRecordFirmCode(), kNone);
  EXPECT_TRUE(Parse("vexost://FirmCode:5::file:/y.vxb::Label/"));
  EXPECT_EQ(grammar.GetRecordName(), "Label");
  EXPECT_EQ(grammar.GetRecordFirmCode(), 5u);
}

}  // namespace
}  // namespace request_url_tests
