// URLs without topic path lead to the topic's real path, read from the archive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "viewer/TopicUrlResolver.h"
#include "viewer/tests/ViewerTestSupport.h"

namespace {

class TopicUrlResolverTest : public ::testing::Test {
 protected:
  TopicUrlResolverTest()
      : m_path(
            WriteTestArchive(m_folder, "manual.vxb", "Manual", 7,
                             {{"guide/start.htm", "s"}, {"a b/r\xc3\xa9sum\xc3\xa9 #1.htm", "r"}},
                             "guide/start.htm")),
        m_resolver([this](const std::string& name, std::uint32_t firmCode) {
          asked.push_back(name + " " + std::to_string(firmCode));
          return name == "Manual" || name == "My Book" ? m_path : std::string();
        }) {}

  // The slot number of topic PATH.
  int Slot(const std::string& path) const {
    for (int number = 0; number < 64; ++number)
      if (TopicUrlResolver::ReadTopicPath(m_path, number) == path) return number;
    return -1;
  }

  TempFolder m_folder;
  std::string m_path;
  std::vector<std::string> asked;
  TopicUrlResolver m_resolver;
};

TEST_F(TopicUrlResolverTest, UrlsWithoutTopicPathGoToTheTopicsRealPath) {
  const std::string file = "vexost://file:" + m_path;
  const std::string other = m_folder.Write("notes.txt", "no archive");
  const struct {
    std::string url;
    std::string expected;
  } cases[] = {
      {"vexost://Manual", "vexost://Manual/guide/start.htm"},
      {"vexost://Manual/", "vexost://Manual/guide/start.htm"},
      {"Vexost://Manual//", "vexost://Manual/guide/start.htm"},
      {"vexost://Manual#top", "vexost://Manual/guide/start.htm#top"},
      {"vexost://My%20Book/", "vexost://My%20Book/guide/start.htm"},
      {"vexost://FirmCode:0x7::Manual/", "vexost://FirmCode:0x7::Manual/guide/start.htm"},
      {"vexost://Manual::/", "vexost://Manual::/guide/start.htm"},
      {file, file + "::/guide/start.htm"},
      {file + "/", file + "::/guide/start.htm"},
      {file + "::", file + "::/guide/start.htm"},
      {file + "::/", file + "::/guide/start.htm"},
      {"vexost://Manual/:" + std::to_string(Slot("a b/r\xc3\xa9sum\xc3\xa9 #1.htm")),
       "vexost://Manual/a%20b/r%C3%A9sum%C3%A9%20%231.htm"},
      {"vexost://Manual/:" + std::to_string(Slot("guide/start.htm")) + "x",
       "vexost://Manual/guide/start.htm"},
      // Left to the reader: a topic path, a number or a firm code it refuses, an
      // archive it cannot find or read, and whatever is no archive URL.
      {"vexost://Manual/guide/start.htm", ""},
      {"vexost://Manual/:x", ""},
      {"vexost://Manual/:99", ""},
      {"vexost://Manual/:4294967295", ""},
      {"vexost://FirmCode:1048576::Manual/", ""},
      {"vexost://Nobody/", ""},
      {"vexost://", ""},
      {"vexost:list", ""},
      {"vexost://file:" + other + "/", ""},
      {"vexost://file:" + m_folder.Path() + "/", ""},
      {"vexost://file:" + m_path + "/guide/start.htm", ""},
      {"http://Manual/", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(m_resolver.Resolve(c.url), c.expected.empty() ? c.url : c.expected) << c.url;
  asked.clear();  // name and firm code unescaped
  m_resolver.Resolve("vexost://My%20Book");
  m_resolver.Resolve("vexost://FirmCode:12::Manual/");
  EXPECT_EQ(asked, (std::vector<std::string>{"My Book 4294967295", "Manual 12"}));
}

TEST_F(TopicUrlResolverTest, ArchiveWithoutStartTopicAndFifoAreLeftToTheReader) {
  const std::string bare = WriteTestArchive(m_folder, "bare.vxb", "Bare", 1, {{"a.htm", "a"}});
  EXPECT_EQ(TopicUrlResolver::ReadTopicPath(bare, -1), "");
  const std::string fifo = m_folder / "pipe.vxb";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(TopicUrlResolver::ReadTopicPath(fifo, -1), "");  // returns at once, no reader needed
}

}  // namespace
