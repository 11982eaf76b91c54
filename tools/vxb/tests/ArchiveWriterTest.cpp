// The archive writer: the layout it gives archives and what it refuses.
#include "archive/TopicName.h"
#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "base/LittleEndian.h"
#include "tools/vxb/ArchiveWriter.h"
#include "tools/vxb/tests/VxbRun.h"

namespace vxb_tests {
namespace {

class ArchiveWriterTest : public archive_tests::ArchiveTest {
 protected:
  std::string Write(stow::ArchiveWriter& writer) {
    const std::string path = m_folder / "w.vxb";
    writer.Write(path);
    return path;
  }
};

TEST_F(ArchiveWriterTest, EveryTopicLiesOnTheChainOfItsHomeAndChainsDoNotMix) {
  stow::ArchiveWriter writer(Properties());
  std::vector<std::string> paths;
  // Names that share first, middle and last characters collide often.
  for (int i = 0; i < 2000; ++i) paths.push_back("p/" + std::to_string(i % 10) + "x" + std::to_string(i) + ".htm");
  for (const std::string& path : paths) writer.AddBytes(path, path);
  const std::unique_ptr<ThisVxbFile> archive = Load(Write(writer));
  const std::uint32_t slots = archive->GetSlotCount();
  EXPECT_GE(slots, 3000u);
  std::map<std::uint32_t, std::uint32_t> homeOfSlot;
  for (const std::string& path : paths) {
    const std::uint32_t home = stow::HomeSlot(path, slots);
    std::string found = path;
    ASSERT_TRUE(archive->OpenTopic(ThisVxbFile::kNoTopic, found));
    // Walk the chain from the home: it must reach the topic and hold no slot of
    // another home.
    std::uint32_t slot = home;
    for (;;) {
      const auto [at, added] = homeOfSlot.emplace(slot, home);
      EXPECT_EQ(at->second, home) << path;
      if (slot == static_cast<std::uint32_t>(archive->GetCurrentSlot())) break;
      ASSERT_GE(archive->GetSlot(slot).next, 0) << path;
      slot = static_cast<std::uint32_t>(archive->GetSlot(slot).next);
    }
  }
}

TEST_F(ArchiveWriterTest, LayoutOfRecordsTableAndSlotList) {
  stow::ArchiveProperties properties = Properties();
  properties.firmCode = 77;
  properties.startTopic = "b.htm";
  stow::ArchiveWriter writer(properties);
  writer.AddBytes("b.htm", "bb");
  writer.AddBytes("a.htm", "a");
  const std::string path = Write(writer);
  const std::unique_ptr<ThisVxbFile> archive = Load(path);
  const std::array<std::uint32_t, 7>& header = archive->GetHeaderWords();
  EXPECT_EQ(header[0], 77u);
  EXPECT_EQ(archive->GetFirmCode(), 77u);
  EXPECT_EQ(header[1], 0u);
  EXPECT_EQ(archive->GetSlotCount(), 3u);  // three slots for two topics, a prime
  EXPECT_EQ(archive->GetSlotListEntryCount(), 2u);
  std::string start;
  ASSERT_TRUE(archive->OpenTopic(static_cast<std::int32_t>(header[3]), start));
  EXPECT_EQ(start, "b.htm");
  // Topics follow the records in the order of their paths: a.htm first.
  const std::string bytes = TempFolder::ReadAll(path);
  const std::uint32_t dataOffset = archive->GetDataOffset();
  EXPECT_EQ(vxs::GetU16(bytes.data() + dataOffset), 5);  // name length of "a.htm"
  EXPECT_EQ(vxs::GetU16(bytes.data() + dataOffset + 2), u'a');
  std::uint32_t aSlot = 0;
  for (std::uint32_t slot = 0; slot < 3; ++slot)
    if (archive->GetSlot(slot).nameOffset == dataOffset) aSlot = slot;
  EXPECT_EQ(archive->GetSlot(aSlot).expandedLength, 1u);
  EXPECT_EQ(archive->GetSlot(aSlot).storedLength, 3u);  // one plain chunk: head and byte
  EXPECT_EQ(archive->GetSlot(aSlot).slotListIndex, 0u);
}

TEST_F(ArchiveWriterTest, ChunksArePackedOnlyWhereThatSavesSpaceAndProgressCountsEveryByte) {
  stow::ArchiveWriter writer(Properties());
  writer.AddBytes("text.htm", TextBytes(100000));
  writer.AddBytes("noise.bin", RandomBytes(100000));
  writer.AddBytes("b", "bbb");
  std::uint64_t last = 0;
  int calls = 0;
  writer.SetProgress([&](std::uint64_t done, std::uint64_t total) {
    EXPECT_EQ(total, 200003u);
    EXPECT_GE(done, last);
    last = done;
    ++calls;
  });
  const std::unique_ptr<ThisVxbFile> archive = Load(Write(writer));
  EXPECT_EQ(last, 200003u);
  EXPECT_EQ(calls, 9);  // four chunks each and one
  for (std::uint32_t slot = 0; slot < archive->GetSlotCount(); ++slot) {
    std::string path;
    if (!archive->OpenTopic(static_cast<std::int32_t>(slot), path)) continue;
    const stow::TopicSlot topic = archive->GetSlot(slot);
    if (path == "text.htm") {
      EXPECT_LT(topic.storedLength, topic.expandedLength / 3);
    } else if (path == "noise.bin") {
      EXPECT_EQ(topic.storedLength, topic.expandedLength + 4 * 2);  // four plain chunks
    }
  }
}

TEST_F(ArchiveWriterTest, WhatAnArchiveCannotHold) {
  const auto code = [&](auto&& setUp) {
    stow::ArchiveProperties properties = Properties();
    std::vector<std::pair<std::string, std::string>> topics = {{"a.htm", "a"}};
    setUp(properties, topics);
    stow::ArchiveWriter writer(properties);
    for (const auto& [path, bytes] : topics) writer.AddBytes(path, bytes);
    return archive_tests::ThrownCode([&] { Write(writer); });
  };
  using Topics = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(code([](stow::ArchiveProperties& p, Topics&) { p.name.clear(); }), 2023u);
  EXPECT_EQ(code([](stow::ArchiveProperties& p, Topics&) { p.copyright = "\xE2\x84\xA2 \xCE\xA9"; }), 2023u);
  EXPECT_EQ(code([](stow::ArchiveProperties& p, Topics&) { p.title = std::string(1001, 't'); }), 2007u);
  EXPECT_EQ(code([](stow::ArchiveProperties& p, Topics&) { p.startTopic = "b.htm"; }), 2023u);
  EXPECT_EQ(code([](stow::ArchiveProperties&, Topics& t) { t.push_back({"a.htm", "again"}); }), 1000u);
  EXPECT_FALSE(std::filesystem::exists(m_folder / "w.vxb"));
  EXPECT_EQ(code([](stow::ArchiveProperties&, Topics&) {}), 0u);
  // An archive of no topics has one empty slot and no start topic.
  const std::unique_ptr<ThisVxbFile> empty = Load(Build({}));
  EXPECT_EQ(empty->GetSlotCount(), 1u);
  EXPECT_EQ(empty->GetStartTopic(), ThisVxbFile::kNoTopic);
  stow::ArchiveWriter writer(Properties());
  const auto addCode = [&](std::string path) {
    return archive_tests::ThrownCode([&] { writer.AddBytes(path, "x"); });
  };
  EXPECT_EQ(addCode(""), 1016u);
  EXPECT_EQ(addCode("caf\xE9.htm"), 1016u);  // not UTF-8
  EXPECT_EQ(addCode(std::string(65536, 'n')), 2007u);
  EXPECT_EQ(addCode(std::string(65535, 'n')), 0u);
}

}  // namespace
}  // namespace vxb_tests
