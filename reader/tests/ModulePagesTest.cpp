// The module's own pages in place of topics: every failure of a URL, the list
// of registered archives, and the outcome each reports to hosts.
#include <string>
#include <tuple>

#include "reader/tests/ReaderModuleFixture.h"

namespace {

class Pages : public ReaderModuleTest {
 protected:
  void SetUp() override {
    ReaderModuleTest::SetUp();
    m_archive = BuildArchive("manual.vxb", "Manual", 10, {{"index.htm", "<html>start</html>"}},
                             "index.htm");
    Catalog("Manual", 10, m_archive);
  }

  static bool Holds(const ProtocolResponse& response, const std::string& text) {
    return response.bytes.find(text) != std::string::npos;
  }

  std::string m_archive;
};

// Each failure of a URL gets its page, holding what tells the user why.
TEST_F(Pages, EachFailureGetsItsPage) {
  Catalog("Lost", 4, m_folder / "lost.vxb");
  const std::string none = m_folder / "none.vxb";
  const std::tuple<std::string, unsigned, std::vector<std::string>> cases[] = {
      {"vexost:/Manual", 1, {"wrong syntax", "Manual"}},
      // Markup in a URL, escaped or not, is shown as text.
      {"vexost:/<script>alert(1)</script>", 1, {"&lt;script&gt;alert(1)&lt;/script&gt;"}},
      {"vexost://%3Cb%3E/", 3, {"<span class=\"given\">&lt;b&gt;</span>"}},
      {"vexost:/", 1, {}},
      {"vexost://Manual/:x", 1, {}},
      {"vexost://", 2, {"does not contain a archive or file name"}},
      {"vexost://Unknown/index.htm", 3, {"Unknown"}},
      {"vexost://FirmCode:11::Manual/", 4, {"FirmCode:11::"}},
      // The error text of the foundation ("VK...") tells why the file failed.
      {"vexost://Lost/index.htm", 6, {m_folder / "lost.vxb", "Lost", "VK"}},
      {"vexost://file:" + none + "::/a.htm", 7, {none}},
  };
  for (const auto& [url, page, held] : cases) {
    SCOPED_TRACE(url);
    const ProtocolResponse response = Fetch(url);
    ExpectPage(response, page);
    // The outcome comes before the MIME type, the data last.
    const auto size = static_cast<ULONG>(response.bytes.size());
    EXPECT_EQ(response.reports,
              (std::vector<ProtocolReport>{
                  ProtocolReport::Progress(BINDSTATUS_READEROUTCOME, std::to_string(page)),
                  ProtocolReport::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "text/html"),
                  ProtocolReport::Data(kAllData, size, size)}));
    for (const std::string& text : held) EXPECT_TRUE(Holds(response, text)) << text;
  }
}

TEST_F(Pages, AmbiguousNameGetsPageFiveThenTheFirmCodeDialog) {
  const std::string second = BuildArchive("second.vxb", "Manual", 12, {{"index.htm", "second"}}, "index.htm");
  Catalog("Manual", 12, second);
  ExpectPage(Fetch("vexost://Manual/"), 5);
  m_dialogs.QueueFirmCodeAnswer(IDOK, 1);
  const ProtocolResponse chosen = Fetch("vexost://Manual/");
  EXPECT_EQ(chosen.bytes, "second");
  ASSERT_EQ(m_dialogs.firmCodeViews.size(), 1u);
  EXPECT_EQ(m_dialogs.firmCodeViews[0].entries, (std::vector<std::string>{"10", "12"}));
}

TEST_F(Pages, FileThatIsNoArchiveGetsAPageNotStaleData) {
  EXPECT_EQ(Fetch("vexost://Manual/").result, S_OK);
  const std::string junk = m_folder.Write("junk.vxb", std::string(4096, 'x'));
  const ProtocolResponse response = Fetch("vexost://file:" + junk + "::/index.htm");
  ExpectPage(response, 7);
  EXPECT_TRUE(Holds(response, "VK"));
  // The archive that was open is closed; asking for it opens it again.
  EXPECT_EQ(Fetch("vexost://Manual/index.htm").bytes, "<html>start</html>");
}

// The list shows every firm code of the all-users catalog only; a damaged entry
// (a firm-code key without its path) is listed with an empty path.
TEST_F(Pages, ListPageShowsTheArchivesOfAllUsers) {
  const std::string shared = BuildArchive("shared.vxb", "Shared", 21, {{"a.htm", "a"}});
  Catalog("Shared", 21, shared, HKEY_LOCAL_MACHINE);
  Catalog("Shared", 22, "/data/shared22.vxb", HKEY_LOCAL_MACHINE);
  PutText(HKEY_LOCAL_MACHINE, std::string(kCatalogKey) + "\\Broken\\FC5", "Notes", "no path");
  for (const char* url : {"vexost:", "VEXOST:list"}) {
    const ProtocolResponse response = Fetch(url);
    ExpectPage(response, 11);
    for (const std::string& row : {"Shared</a></td> <td align=\"left\">21</td> <td align=\"left\">" + shared,
                                   std::string("22</td> <td align=\"left\">/data/shared22.vxb<"),
                                   std::string("5</td> <td align=\"left\"></td>")})
      EXPECT_TRUE(Holds(response, row)) << row;
    EXPECT_FALSE(Holds(response, "vexost://Manual")) << "a current user's archive is listed";
  }
}

TEST_F(Pages, PageLeftUnreadIsNotServedByTheNextRequest) {
  struct StopAtFirstData final : ProtocolListener {
    void OnReport(const ProtocolReport&) override {}
    bool OnData(std::string_view) override { return false; }
  } stop;
  ProtocolBroker smallReads(16);
  EXPECT_EQ(smallReads.Stream("vexost://Unknown/", stop), E_ABORT);
  // A missing topic is told as such, not answered with the page of the request before.
  const ProtocolResponse missing = Fetch("vexost://Manual/gone.htm");
  EXPECT_EQ(missing.result, E_FAIL);
  EXPECT_EQ(OutcomeOf(missing), kReaderOutcomeMissingTopic);
  EXPECT_TRUE(missing.bytes.empty());
}

}  // namespace
