// The content pipeline: topics and generated pages read in pieces of every size.
#include "archive/tests/ArchiveFixture.h"

namespace archive_tests {
namespace {

class PipelineTest : public ArchiveTest {
 protected:
  std::unique_ptr<ThisVxbFile> OpenTopic(const std::string& archivePath, const std::string& topic) {
    std::unique_ptr<ThisVxbFile> archive = Load(archivePath);
    std::string path = topic;
    EXPECT_TRUE(archive->OpenTopic(ThisVxbFile::kNoTopic, path));
    return archive;
  }
};

TEST_F(PipelineTest, ReadsOfEverySizeGiveTheTopicsBytes) {
  // A packed chunk, a plain chunk and a short packed chunk.
  const std::string bytes = TextBytes(32768) + RandomBytes(32768) + TextBytes(4464, 9);
  const std::string path = Build({{"mixed.bin", bytes}});
  const std::unique_ptr<ThisVxbFile> archive = Load(path);
  std::vector<std::uint32_t> sizes;
  for (std::uint32_t size = 1; size <= 300; ++size) sizes.push_back(size);
  for (std::uint32_t size : {999u, 1000u, 4096u, 32767u, 32768u, 32769u, 65535u, 65536u,
                             65552u, 65553u, 70000u, 1u << 20})
    sizes.push_back(size);
  for (std::uint32_t size : sizes) {
    std::string request = "mixed.bin";
    ASSERT_TRUE(archive->OpenTopic(ThisVxbFile::kNoTopic, request));
    ASSERT_EQ(ReadAll(*archive, size), bytes) << "pieces of " << size;
  }
}

TEST_F(PipelineTest, EachReadGivesExactlyWhatWasAskedUntilTheEnd) {
  const std::string bytes = TextBytes(3000);
  const std::unique_ptr<ThisVxbFile> archive = OpenTopic(Build({{"t.txt", bytes}}), "t.txt");
  std::vector<char> buffer(2500);
  std::uint32_t count = 0;
  EXPECT_FALSE(archive->ReadTopicData(buffer.data(), 1000, count));
  EXPECT_EQ(count, 1000u);
  EXPECT_EQ(std::string(buffer.data(), count), bytes.substr(0, 1000));
  // Asking for more than is left gives the rest and the end.
  EXPECT_TRUE(archive->ReadTopicData(buffer.data(), 2500, count));
  EXPECT_EQ(count, 2000u);
  EXPECT_EQ(std::string(buffer.data(), count), bytes.substr(1000));
  for (int again = 0; again < 3; ++again) {
    EXPECT_TRUE(archive->ReadTopicData(buffer.data(), 2500, count));
    EXPECT_EQ(count, 0u);
  }
  // Asking for exactly what is left gives it; the end is told by the next read.
  std::string path = "t.txt";
  ASSERT_TRUE(archive->OpenTopic(ThisVxbFile::kNoTopic, path));
  EXPECT_FALSE(archive->ReadTopicData(buffer.data(), 3000 - 500, count));
  EXPECT_FALSE(archive->ReadTopicData(buffer.data(), 500, count));
  EXPECT_EQ(std::string(buffer.data(), count), bytes.substr(2500));
  EXPECT_TRUE(archive->ReadTopicData(buffer.data(), 500, count));
  EXPECT_EQ(count, 0u);
  // Topics of length zero, and a file with nothing opened, read as the end.
  const std::unique_ptr<ThisVxbFile> empty = OpenTopic(Build({{"empty.htm", ""}}), "empty.htm");
  ThisVxbFile nothing;
  for (ThisVxbFile* file : {empty.get(), &nothing}) {
    count = 99;
    EXPECT_TRUE(file->ReadTopicData(buffer.data(), 16, count));
    EXPECT_EQ(count, 0u);
  }
}

TEST_F(PipelineTest, ChunkHeadsOf0x8000And0x8001AreAWholePlainChunkAndAnEmptyPackedOne) {
  const std::string full = RandomBytes(32768);
  const std::string path = Build({{"full.bin", full}, {"more.bin", full + "!"}});
  const std::string file = TempFolder::ReadAll(path);
  const SlotPlace one = PlaceOf(path, "full.bin");
  EXPECT_EQ(vxs::GetU16(file.data() + one.dataAt), 0x8000);
  EXPECT_EQ(one.slot.storedLength, 2u + 32768u);
  const SlotPlace two = PlaceOf(path, "more.bin");
  EXPECT_EQ(vxs::GetU16(file.data() + two.dataAt + 2 + 32768), 1);
  EXPECT_EQ(ReadAll(*OpenTopic(path, "full.bin")), full);
  EXPECT_EQ(ReadAll(*OpenTopic(path, "more.bin")), full + "!");
  // 0x8001 is a packed chunk of one byte: it holds no whole code and expands to
  // nothing; the plain chunk behind it holds the topic.
  const std::string small = Build({{"t.bin", RandomBytes(8)}});
  const SlotPlace place = PlaceOf(small, "t.bin");
  ASSERT_EQ(place.slot.storedLength, 10u);
  PatchBytes(small, place.dataAt, std::string("\x01\x80\x00\x05\x00hello", 10));
  PatchU32(small, place.slotAt + 4, 5);
  EXPECT_EQ(ReadAll(*OpenTopic(small, "t.bin")), "hello");
}

TEST_F(PipelineTest, GeneratedPagesAreServedWholeAndOnce) {
  const std::unique_ptr<ThisVxbFile> archive = Load(Build({{"a.gif", "GIF"}}));
  // Longer and shorter than the message buffer, and empty.
  for (const std::string& page :
       {TextBytes(100000, 5), std::string("<p>short</p>"), std::string()}) {
    archive->SetPage(page);
    EXPECT_EQ(archive->GetTopicExtension(), "HTML");
    EXPECT_EQ(archive->GetPageText(), page);
    EXPECT_EQ(ReadAll(*archive, 7000), page);
    EXPECT_EQ(archive->GetPageText(), "");
    EXPECT_EQ(ReadAll(*archive), "");
  }
  // A topic opened after the page is read from the archive again.
  std::string path = "a.gif";
  ASSERT_TRUE(archive->OpenTopic(ThisVxbFile::kNoTopic, path));
  EXPECT_EQ(ReadAll(*archive), "GIF");
}

}  // namespace
}  // namespace archive_tests
