// Requests served end to end: reports in order, bytes as written, each delivery
// kind, start topics and topic numbers, parse-only starts, missing topics.
#include <cctype>
#include <filesystem>
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
                {"empty.txt", ""},
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

// Each delivery kind end to end: the reports in order, the bytes as written,
// the cache file (none, a placeholder, or the whole topic) and whether the size
// is told with the data.
TEST_F(Requests, EachDeliveryKindReportsInOrderAndServesTheBytes) {
  enum class Cache { None, Placeholder, Whole };
  const std::tuple<const char*, const char*, Cache, bool> cases[] = {
      {"dir/page.htm", "text/html", Cache::None, true},
      {"dir/pic.GIF", "image/gif", Cache::None, true},
      {"big.txt", "text/plain", Cache::None, true},
      {"empty.txt", "text/plain", Cache::None, true},
      {"image.bmp", nullptr, Cache::None, true},
      {"doc.pdf", "application/pdf", Cache::Placeholder, true},
      {"sheet.xls", "application/msexcel", Cache::Whole, false},
      {"README", nullptr, Cache::Whole, true},
  };
  ProtocolBroker smallReads(1000);
  for (const auto& [path, mimeType, cache, sizeKnown] : cases) {
    SCOPED_TRACE(path);
    const ProtocolResponse response = Fetch(std::string("vexost://Manual/") + path);
    EXPECT_EQ(response.result, S_OK);
    const std::string& topic = m_topics[path];
    EXPECT_EQ(response.bytes, topic);
    std::vector<ProtocolReport> expected = {
        ProtocolReport::Progress(BINDSTATUS_READERTOPIC, std::string("=vexost://Manual/") + path)};
    if (mimeType) expected.push_back(ProtocolReport::Progress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, mimeType));
    if (cache != Cache::None)
      expected.push_back(ProtocolReport::Progress(BINDSTATUS_CACHEFILENAMEAVAILABLE, response.cacheFile));
    const auto size = static_cast<ULONG>(topic.size());
    expected.push_back(sizeKnown ? ProtocolReport::Data(kAllData, size, size)
                                 : ProtocolReport::Data(BSCF_AVAILABLEDATASIZEUNKNOWN, 0, 0));
    EXPECT_EQ(response.reports, expected);
    if (cache == Cache::None) {
      EXPECT_EQ(response.cacheFile, "");
    }
    if (cache == Cache::Placeholder) {
      EXPECT_EQ(TempFolder::ReadAll(response.cacheFile), std::string(1024, ' '));
    }
    if (cache == Cache::Whole) {  // written whole, named with the type as extension
      EXPECT_EQ(TempFolder::ReadAll(response.cacheFile), topic);
      std::string type = std::filesystem::path(path).extension().string();
      for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      EXPECT_EQ(std::filesystem::path(response.cacheFile).extension(), type);
    }
    if (cache != Cache::None) {
      EXPECT_EQ(response.cacheFile.rfind(m_folder / "cache", 0), 0u) << response.cacheFile;
    }
    EXPECT_EQ(smallReads.Fetch(std::string("vexost://Manual/") + path).bytes, topic) << "small reads";
  }
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

TEST_F(Requests, MissingTopicsAreToldInAMessageBoxAndFail) {
  for (const char* url : {"vexost://Manual/dir/gone.htm", "vexost://Manual/:4000", "vexost://Manual/:3000000000"}) {
    const ProtocolResponse response = Fetch(url);
    EXPECT_EQ(response.result, E_FAIL) << url;
    EXPECT_EQ(OutcomeOf(response), kReaderOutcomeMissingTopic) << url;
    EXPECT_TRUE(response.bytes.empty()) << url;
  }
  ASSERT_EQ(m_boxes.shown().size(), 3u);
  EXPECT_EQ(m_boxes.shown()[0].text, "File \"dir/gone.htm\" not found.");
  EXPECT_EQ(m_boxes.shown()[0].caption, "Stowra Reader");
  EXPECT_EQ(m_boxes.shown()[1].text, "File :4000 not found.");
  EXPECT_EQ(m_boxes.shown()[2].text, "File :3000000000 not found.");
  // The archive stays open and serves the next request.
  EXPECT_EQ(Fetch("vexost://Manual/README").bytes, "plain words");
}

}  // namespace
