// The response cache: bounded by bytes with the least recently used dropped
// first, and no answer outlives a change of its archive file. Answers on their
// way to clients are shared while any client still receives them.
#include <gtest/gtest.h>

#include "host/LiveAnswers.h"
#include "host/ReaderGateway.h"
#include "host/ResponseCache.h"
#include "platform/tests/TempFolder.h"

namespace {

std::shared_ptr<const CachedAnswer> Answer(std::string bytes) {
  auto answer = std::make_shared<CachedAnswer>();
  answer->mimeType = "text/html";
  answer->body = std::make_shared<ResponseBody>(std::move(bytes));
  return answer;
}

class ResponseCacheTest : public ::testing::Test {
 protected:
  TempFolder m_scratch;
  const std::string m_archive = m_scratch.Write("a.vxb", "archive");
  const FileStamp m_stamp = *StampOfFile(m_archive);
};

TEST_F(ResponseCacheTest, ByteBoundLeastRecentlyUsedFirstAndArchiveChanges) {
  ResponseCache cache(100, 60);
  cache.Store("a", m_archive, m_stamp, Answer(std::string(40, 'a')));
  cache.Store("b", m_archive, m_stamp, Answer(std::string(40, 'b')));
  ASSERT_TRUE(cache.Find("a"));  // now the most recently used
  cache.Store("c", m_archive, m_stamp, Answer(std::string(40, 'c')));
  EXPECT_FALSE(cache.Find("b"));
  ASSERT_TRUE(cache.Find("a"));
  EXPECT_EQ(cache.Find("a")->body->Memory(), std::string(40, 'a'));
  EXPECT_EQ(cache.Find("c")->body->Memory(), std::string(40, 'c'));
  EXPECT_EQ(cache.Bytes(), 80u);
  cache.Store("big", m_archive, m_stamp, Answer(std::string(61, 'x')));  // above the entry bound
  EXPECT_FALSE(cache.Find("big"));
  cache.Store("a", m_archive, m_stamp, Answer("new"));  // replaces
  EXPECT_EQ(cache.Find("a")->body->Memory(), "new");
  EXPECT_EQ(cache.Bytes(), 43u);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_EQ(cache.Bytes(), 0u);

  // An answer goes when its archive changes or vanishes.
  cache.Store("a", m_archive, m_stamp, Answer("old"));
  ASSERT_TRUE(cache.Find("a"));
  m_scratch.Write("a.vxb", "archive, rewritten");
  EXPECT_FALSE(cache.Find("a"));
  EXPECT_EQ(cache.Bytes(), 0u);
  cache.Store("b", m_archive, *StampOfFile(m_archive), Answer("b"));
  std::filesystem::remove(m_archive);
  EXPECT_FALSE(cache.Find("b"));
  EXPECT_FALSE(StampOfFile(m_archive));
}

TEST_F(ResponseCacheTest, LiveAnswersAreSharedWhileTheirBodyLives) {
  LiveAnswers live;
  std::shared_ptr<const CachedAnswer> sent = Answer("topic");
  live.Keep("a", m_stamp, *sent);
  std::shared_ptr<const CachedAnswer> again = live.Find("a", m_stamp);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->body, sent->body);
  EXPECT_EQ(again->mimeType, "text/html");
  FileStamp other = m_stamp;
  other.size += 1;
  EXPECT_FALSE(live.Find("a", other)) << "an answer of another state of the archive";
  EXPECT_FALSE(live.Find("a", m_stamp)) << "dropped with the mismatch";
  live.Keep("a", m_stamp, *sent);
  again.reset();
  sent.reset();
  EXPECT_FALSE(live.Find("a", m_stamp)) << "its last response is gone";
  for (int i = 0; i < 1000; ++i) live.Keep(std::to_string(i), m_stamp, *Answer("x"));
  EXPECT_LT(live.Count(), 200u) << "entries of bodies that are gone are swept";
}

TEST(HandedArchiveOf, OnlyPlainNamesOfHandedArchives) {
  std::vector<HandedArchive> handed = {{"Manual", "/d/manual.vxb", 7}, {"Other", "/d/o.vxb", 1}};
  EXPECT_EQ(ReaderGateway::HandedArchiveOf("vexost://Manual/a/b.htm", handed), "/d/manual.vxb");
  EXPECT_EQ(ReaderGateway::HandedArchiveOf("VEXOST://Other", handed), "/d/o.vxb");
  EXPECT_EQ(ReaderGateway::HandedArchiveOf("vexost://Manual/caf%C3%A9.htm", handed),
            "/d/manual.vxb");
  for (const char* url :
       {"vexost://manual/a.htm",  // names compare exactly, as the reader's table does
        "vexost://Nobody/a.htm", "vexost:", "vexost://", "vexost:/Manual/x",
        "vexost://FirmCode:7::Manual/a.htm", "vexost://file:/d/manual.vxb",
        "vexost://Manual/a::Other/b.htm", "vexost://Manual/x%3a%3aOther/b",
        "vexost://Manual/x||Other/b", "vexost://Man%75al/a.htm", "vexost://Manual\\a.htm"})
    EXPECT_EQ(ReaderGateway::HandedArchiveOf(url, handed), "") << url;
}

}  // namespace
