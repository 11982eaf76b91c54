// Requests served end to end: reports in order, bytes as written, each delivery
// kind, start topics and topic numbers, parse-only starts, missing topics.
#include <string>
#include <tuple>

#include "archive/VxbFile.h"
#include "reader/tests/ReaderModuleFixture.h"

namespace {

// Bytes that pack well in places and not at all in others, over several chunks.
std::string MixedBytes(std::size_t size) {
  std::string bytes;
  std::uint32_t state = 12345;
  while (bytes.size() < size) {
    if ((bytes.size() / 5000) % 2 == 0) {
      bytes += "The reader streams this line again and again. ";
    } else {
      state = state * 1103515245u + 12345u;
      bytes += static_cast<char>(state >> 24);
    }
  }
  bytes.resize(size);
  return bytes;
}

class Requests : public ReaderModuleTest {
 protected:
  void SetUp() override {
    ReaderModuleTest::SetUp();
    m_topics = {{"index.htm", "<html>start</html>"},
                {"dir/page.htm", "<html>page in dir</html>"},
                {"dir/pic.GIF", std::string("GIF89a\0\1\2", 9)},
                {"doc.pdf", "%PDF-1.4 " + MixedBytes(70000)},
                {"sheet.xls", MixedBytes(100000)},
                {"image.bmp", "BM" + MixedBytes(300)},
                {"README", "plain words"},
                {"big.txt", MixedBytes(300000)}};
    m_archive = BuildArchive("manual.vxb", "Manual", 10, m_topics, "index.htm");
    Catalog("Manual", 10, m_archive);
  }

  // The slot number of the topic PATH.
  std::uint32_t SlotOf(const std::string& path) {
    ThisVxbFile archive;
    archive.SetPath(m_archive);
    archive.LoadTopicTable();
    std::string found = path;
    EXPECT_TRUE(archive.OpenTopic(-1, found));
    const auto slot = static_cast<std::uint32_t>(archive.GetCurrentSlot());
    archive.Close();
    return slot;
  }

  std::map<std::string, std::string> m_topics;
  std::string m_archive;
};

TEST_F(Requests, PageTopicReportsMimeTypeThenAllItsDataAndReadsBack) {
  const ProtocolResponse response = Fetch("vexost://Manual/dir/page.htm");
  EXPECT_EQ(response.result, S_OK);
  const std::string& topic = m_topics["dir/page.htm"];
  const std::vector<ProtocolReport> expected = {
      ProtocolReport::Progress(BINDSTATUS_READERTOPIC, "=vexost://Manual/dir/page.htm"),
      ProtocolReport::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "text/html"),
      ProtocolReport::Data(kAllData, static_cast<ULONG>(topic.size()), static_cast<ULONG>(topic.size()))};
  EXPECT_EQ(response.reports, expected);
  EXPECT_EQ(response.bytes, topic);
}

TEST_F(Requests, EveryDeliveryKindServesTheTopicsBytes) {
  for (const char* path : {"dir/pic.GIF", "doc.pdf", "sheet.xls", "image.bmp", "README", "big.txt"}) {
    SCOPED_TRACE(path);
    const ProtocolResponse response = Fetch(std::string("vexost://Manual/") + path);
    EXPECT_EQ(response.result, S_OK);
    EXPECT_EQ(response.bytes, m_topics[path]);
    EXPECT_EQ(OutcomeOf(response), "");
  }
}

TEST_F(Requests, PassThroughTopicsUseNoCacheFile) {
  const ProtocolResponse response = Fetch("vexost://Manual/dir/pic.GIF");
  EXPECT_EQ(response.mimeType, "image/gif");
  EXPECT_EQ(response.cacheFile, "");
}

TEST_F(Requests, PdfGetsAPlaceholderCacheFileAndIsReadFromTheArchive) {
  const ProtocolResponse response = Fetch("vexost://Manual/doc.pdf");
  ASSERT_EQ(response.reports.size(), 4u);
  EXPECT_EQ(response.reports[0].statusCode, BINDSTATUS_READERTOPIC);
  EXPECT_EQ(response.reports[1], ProtocolReport::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE,
                                                          "application/pdf"));
  EXPECT_EQ(response.reports[2].statusCode, BINDSTATUS_CACHEFILENAMEAVAILABLE);
  const auto size = static_cast<ULONG>(m_topics["doc.pdf"].size());
  EXPECT_EQ(response.reports[3], ProtocolReport::Data(kAllData, size, size));
  EXPECT_EQ(TempFolder::ReadAll(response.cacheFile), std::string(1024, ' '));
  EXPECT_EQ(response.cacheFile.rfind(m_folder / "cache", 0), 0u) << response.cacheFile;
}

TEST_F(Requests, DocumentTypesAreWrittenWholeToTheCacheBeforeDataOfUnknownSize) {
  const ProtocolResponse response = Fetch("vexost://Manual/sheet.xls");
  const std::vector<ProtocolReport> expected = {
      ProtocolReport::Progress(BINDSTATUS_READERTOPIC, "=vexost://Manual/sheet.xls"),
      ProtocolReport::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, "application/msexcel"),
      ProtocolReport::Progress(BINDSTATUS_CACHEFILENAMEAVAILABLE, response.cacheFile),
      ProtocolReport::Data(BSCF_AVAILABLEDATASIZEUNKNOWN, 0, 0)};
  EXPECT_EQ(response.reports, expected);
  EXPECT_EQ(TempFolder::ReadAll(response.cacheFile), m_topics["sheet.xls"]);
}

TEST_F(Requests, TopicsWithoutMimeTypeReportNone) {
  const ProtocolResponse bitmap = Fetch("vexost://Manual/image.bmp");
  EXPECT_EQ(ReportText(bitmap, BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE), std::nullopt);
  EXPECT_EQ(bitmap.cacheFile, "");
  // Without extension the topic goes through a cache file.
  const ProtocolResponse plain = Fetch("vexost://Manual/README");
  EXPECT_EQ(ReportText(plain, BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE), std::nullopt);
  EXPECT_EQ(TempFolder::ReadAll(plain.cacheFile), "plain words");
}

// Each topic is reported with how it was found and its own URL: the archive as
// the request named it, then the topic's path.
TEST_F(Requests, TopicsByStartNumberPathAndFolderOfTheLastPage) {
  const std::string number = std::to_string(SlotOf("doc.pdf"));
  const std::string file = "vexost://file:" + m_archive;
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"vexost://Manual", "index.htm", "#vexost://Manual/index.htm"},
      {"vexost://Manual/", "index.htm", "#vexost://Manual/index.htm"},
      {"vexost://Manual/", "index.htm", "#vexost://Manual/index.htm"},  // open already
      {"vexost://Manual/:" + number, "doc.pdf", "#vexost://Manual/doc.pdf"},
      {file + "::/dir/page.htm", "dir/page.htm", "=" + file + "::/dir/page.htm"},
      {file + "/readme", "README", "=" + file + "/README"},
      {"vexost://FirmCode:10::Manual/README", "README", "=vexost://FirmCode:10::Manual/README"},
      {"vexost://Manual/dir/page.htm", "dir/page.htm", "=vexost://Manual/dir/page.htm"},
      // A link relative to a page served under another folder than its own.
      {"vexost://Manual/pic.GIF", "dir/pic.GIF", "~vexost://Manual/dir/pic.GIF"},
  };
  for (const auto& [url, topic, report] : cases) {
    const ProtocolResponse response = Fetch(url);
    EXPECT_EQ(response.bytes, m_topics[topic]) << url;
    EXPECT_EQ(ReportText(response, BINDSTATUS_READERTOPIC), report) << url;
  }
}

TEST_F(Requests, APathIsFoundAsWrittenWhateverPageCameBefore) {
  m_archive = BuildArchive("api.vxb", "Api", 12,
                           {{"index.html", "top"}, {"std/index.html", "std"}, {"std/vec.html", "vec"}},
                           "index.html");
  Catalog("Api", 12, m_archive);
  EXPECT_EQ(Fetch("vexost://Api/std/vec.html").bytes, "vec");
  EXPECT_EQ(Fetch("vexost://Api/index.html").bytes, "top");
  EXPECT_EQ(Fetch("vexost://Api/std/index.html").bytes, "std");
  EXPECT_EQ(Fetch("vexost://Api/INDEX.HTML").bytes, "top");
}

TEST_F(Requests, ParseOnlyStartAnswersWithoutOpeningTheArchive) {
  Catalog("Moved", 3, m_folder / "nowhere.vxb");
  const ProtocolResponse response = Fetch("vexost://Moved/index.htm", PI_PARSE_URL);
  EXPECT_EQ(response.result, S_OK);
  EXPECT_TRUE(response.reports.empty());
  // The next request finds the file missing: a page, not an error of the first.
  ExpectPage(Fetch("vexost://Moved/index.htm"), 6);
}

TEST_F(Requests, MissingTopicPathIsToldInAMessageBoxAndFails) {
  const ProtocolResponse response = Fetch("vexost://Manual/dir/gone.htm");
  EXPECT_EQ(response.result, E_FAIL);
  EXPECT_EQ(OutcomeOf(response), kReaderOutcomeMissingTopic);
  EXPECT_TRUE(response.bytes.empty());
  ASSERT_EQ(m_boxes.shown().size(), 1u);
  EXPECT_EQ(m_boxes.shown()[0].text, "File \"dir/gone.htm\" not found.");
  EXPECT_EQ(m_boxes.shown()[0].caption, "Stowra Reader");
}

TEST_F(Requests, MissingTopicNumberIsToldInAMessageBoxAndFails) {
  const ProtocolResponse response = Fetch("vexost://Manual/:4000");
  EXPECT_EQ(response.result, E_FAIL);
  EXPECT_EQ(Fetch("vexost://Manual/:3000000000").result, E_FAIL);
  ASSERT_EQ(m_boxes.shown().size(), 2u);
  EXPECT_EQ(m_boxes.shown()[0].text, "File :4000 not found.");
  EXPECT_EQ(m_boxes.shown()[1].text, "File :3000000000 not found.");
  // The archive stays open and serves the next request.
  EXPECT_EQ(Fetch("vexost://Manual/README").bytes, "plain words");
}

TEST_F(Requests, AnotherArchiveReplacesTheOpenOne) {
  const std::string other = BuildArchive("other.vxb", "Other", 11, {{"a.htm", "other archive"}}, "a.htm");
  Catalog("Other", 11, other);
  EXPECT_EQ(Fetch("vexost://Manual/README").bytes, "plain words");
  EXPECT_EQ(Fetch("vexost://Other/").bytes, "other archive");
  EXPECT_EQ(Fetch("vexost://Manual/README").bytes, "plain words");
}

TEST_F(Requests, ReadingInSmallPiecesGivesTheSameBytes) {
  ProtocolBroker smallReads(1000);
  EXPECT_EQ(smallReads.Fetch("vexost://Manual/big.txt").bytes, m_topics["big.txt"]);
  EXPECT_EQ(smallReads.Fetch("vexost://Manual/sheet.xls").bytes, m_topics["sheet.xls"]);
}

}  // namespace
