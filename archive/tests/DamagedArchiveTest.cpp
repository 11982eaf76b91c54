// Damaged archives end with code 1031 (or a read error), never with a crash, a
// hang or wrong bytes. Each test damages a sound archive in one place.
#include <unistd.h>

#include <functional>

#include "archive/TopicName.h"
#include "archive/tests/ArchiveFixture.h"
#include "archive/tests/LzTestSupport.h"
#include "platform/FileFaults.h"

namespace archive_tests {
namespace {

constexpr std::uint32_t kCorrupt = 1031;
constexpr std::uint32_t kNotFound = 0xFFFFFFFF;  // not an error: OpenTopic said false

// A packed block of 'a', then COUNT codes N (each the string before and its first
// byte), then LITERALS bytes 'b'.
std::string PackedBlock(int count, int literals) {
  lztest::CodeStream stream;
  stream.Put('a');
  for (int i = 0; i < count; ++i) stream.Put(stream.NextCode());
  for (int i = 0; i < literals; ++i) stream.Put('b');
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// Each test runs twice: with the archive mapped into memory, and read from the
// file where the mapping is refused. Both give the same codes.
class DamagedArchiveTest : public ArchiveTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    if (!GetParam()) m_faults.Add({.call = os::FileCall::Map, .pathPart = "", .error = ERROR_NOT_ENOUGH_MEMORY});
    BuildSound();
  }
  void BuildSound() {
    m_path = Build({{"a.htm", TextBytes(5000)}, {"big.bin", RandomBytes(40000)}, {"z.htm", "last"}});
  }

  // The code with which loading, opening TOPIC (":N" for slot N) and reading it
  // all ends (0: none).
  std::uint32_t ReadCode(const std::string& topic, std::string* detail = nullptr) {
    return ThrownCode(
        [&] {
          const std::unique_ptr<ThisVxbFile> archive = Load(m_path);
          std::string path = topic;
          const std::int32_t slot =
              topic.starts_with(':') ? std::stoi(topic.substr(1)) : ThisVxbFile::kNoTopic;
          if (!archive->OpenTopic(slot, path)) throw new CKelException(kNotFound);
          ReadAll(*archive, 1000);
        },
        detail);
  }
  std::size_t FileSize() const { return TempFolder::ReadAll(m_path).size(); }

  // Replaces the stored data of TOPIC by BLOCK as one packed chunk of EXPANDED bytes.
  void PackedChunk(const std::string& topic, const std::string& block, std::uint32_t expanded) {
    const std::string path = Build({{topic, RandomBytes(block.size())}});
    const SlotPlace place = PlaceOf(path, topic);
    ASSERT_EQ(place.slot.storedLength, block.size() + 2);
    PatchBytes(path, place.dataAt, std::string(1, static_cast<char>(block.size() & 0xFF)) +
                                        static_cast<char>(0x80 | (block.size() >> 8)) + block);
    PatchU32(path, place.slotAt + 4, expanded);
    m_path = path;
  }

  FileFaults m_faults;
  std::string m_path;
};

TEST_P(DamagedArchiveTest, TopicTableOrSlotListBeyondTheEndOfTheFile) {
  for (const char* topic : {"a.htm", "big.bin", "z.htm"}) EXPECT_EQ(ReadCode(topic), 0u) << topic;
  const std::string sound = TempFolder::ReadAll(m_path);
  for (const auto& [offset, value] : std::vector<std::pair<std::size_t, std::uint32_t>>{
           {4, 0x40000000},                                            // slot count
           {4, TopicTableRecord(sound, 4) + 1},                        // one slot more
           {0, static_cast<std::uint32_t>(sound.size())},              // table offset
           {12, 0xFFFFFFF0},                                           // slot list length
           {8, static_cast<std::uint32_t>(sound.size() - 2)}}) {       // slot list offset
    Rewrite(m_path, sound);
    PatchRecord(m_path, stow::kRecordTopicTable, offset, value);
    EXPECT_EQ(ThrownCode([&] { Load(m_path); }), kCorrupt) << "field " << offset;
  }
}

TEST_P(DamagedArchiveTest, OneFieldOfATopicDamaged) {
  const auto size = static_cast<std::uint32_t>(FileSize());
  const struct {
    const char* name;
    const char* topic;
    std::function<void(const SlotPlace&)> damage;
    const char* detail;  // null: any
  } cases[] = {
      {"name offset at the last byte", "z.htm",
       [&](const SlotPlace& p) { PatchU32(m_path, p.slotAt, size - 1); }, nullptr},
      {"name offset far beyond the file", "z.htm",
       [&](const SlotPlace& p) { PatchU32(m_path, p.slotAt, 0xFFFFFFF0); }, nullptr},
      {"stored data beyond the file", "big.bin",
       [&](const SlotPlace& p) { PatchU32(m_path, p.slotAt + 8, size); }, nullptr},
      {"stored data shorter than the expanded length", "a.htm",
       [&](const SlotPlace& p) { PatchU32(m_path, p.slotAt + 4, p.slot.expandedLength + 1); },
       " (topic data too short)"},
      {"stored data without a chunk head", "a.htm",
       [&](const SlotPlace& p) { PatchU32(m_path, p.slotAt + 8, 1); }, nullptr},
      {"stored data longer than its chunks", "z.htm",
       [&](const SlotPlace& p) { PatchU32(m_path, p.slotAt + 8, p.slot.storedLength + 2); },
       " (topic data longer than its chunks)"},
      {"chunk one byte longer than what is left", "z.htm",
       [&](const SlotPlace& p) { PatchU16(m_path, p.dataAt, 5); },
       " (chunk longer than the topic data)"},
      {"packed chunk longer than what is left", "z.htm",
       [&](const SlotPlace& p) { PatchU16(m_path, p.dataAt, 0x8000 + 0x7FFF); }, nullptr},
      {"chunks giving more than the topic's length", "a.htm",
       [&](const SlotPlace& p) { PatchU32(m_path, p.slotAt + 4, 10); },
       " (chunk longer than the topic)"},
      // Chunk heads of 0 give no bytes each: the topic runs out of stored data, it
      // does not wait for bytes that never come.
      {"empty chunks only", "big.bin",
       [&](const SlotPlace& p) { PatchBytes(m_path, p.dataAt, std::string(p.slot.storedLength, 0)); },
       " (topic data too short)"},
  };
  const std::string sound = TempFolder::ReadAll(m_path);
  ASSERT_EQ(vxs::GetU16(sound.data() + PlaceOf(m_path, "z.htm").dataAt), 4);  // plain "last"
  for (const auto& c : cases) {
    Rewrite(m_path, sound);
    const std::uint32_t slot = SlotOf(m_path, c.topic);
    c.damage(PlaceOf(m_path, c.topic));
    std::string detail;
    EXPECT_EQ(ReadCode(c.topic, &detail), kCorrupt) << c.name;
    if (c.detail) {
      EXPECT_EQ(detail, c.detail) << c.name;
    }
    EXPECT_EQ(ReadCode(":" + std::to_string(slot)), kCorrupt) << c.name;
  }
}

TEST_P(DamagedArchiveTest, NameRecordRunningPastItsTopic) {
  const SlotPlace z = PlaceOf(m_path, "z.htm");
  const std::uint32_t slot = SlotOf(m_path, "z.htm");
  // One character more: the data seems to begin inside the real chunk.
  PatchU16(m_path, z.slot.nameOffset, 6);
  EXPECT_EQ(ReadCode(":" + std::to_string(slot)), kCorrupt);
  EXPECT_EQ(ReadCode("z.htm"), kNotFound);  // the name no longer has its length
  // A name beyond the end of the file.
  PatchU16(m_path, z.slot.nameOffset, 0xFFFF);
  std::string detail;
  EXPECT_EQ(ReadCode(":" + std::to_string(slot), &detail), kCorrupt);
  EXPECT_EQ(detail, " (topic name beyond the end of the file)");
}

TEST_P(DamagedArchiveTest, PackedChunkExpandingBeyondTheBuffer) {
  // 'a', then codes that each repeat the string before with one more 'a': 1 + 2 +
  // ... + 361 = 65341 bytes; 211 literals bring it to 65552, the buffer's size.
  PackedChunk("fits.bin", PackedBlock(360, 211), 65552);
  EXPECT_EQ(ReadCode("fits.bin"), 0u);

  PackedChunk("beyond.bin", PackedBlock(360, 212), 65553);
  std::string detail;
  EXPECT_EQ(ReadCode("beyond.bin", &detail), kCorrupt);
  EXPECT_EQ(detail, " (chunk expands beyond the buffer)");

  std::string bytes = PackedBlock(1, 0);
  bytes[1] = static_cast<char>(0xFF);  // an index beyond the next free code
  PackedChunk("bad.bin", bytes + std::string(20, '\xFF'), 100);
  EXPECT_EQ(ReadCode("bad.bin"), kCorrupt);
}

TEST_P(DamagedArchiveTest, SlotListWithoutEntryLengths) {
  const std::string bytes = TempFolder::ReadAll(m_path);
  const std::uint32_t listAt = TopicTableRecord(bytes, 8);
  const std::uint32_t listLength = TopicTableRecord(bytes, 12);
  PatchBytes(m_path, listAt, std::string(listLength, '\0'));
  const std::unique_ptr<ThisVxbFile> archive = Load(m_path);
  EXPECT_EQ(archive->GetSlotListEntryCount(), 0u);
  EXPECT_EQ(ReadCode("a.htm"), 0u);
}

TEST_P(DamagedArchiveTest, ChainsLeadingOutOfTheTableOrInACircleEnd) {
  const std::string sound = TempFolder::ReadAll(m_path);
  const std::uint32_t slots = Load(m_path)->GetSlotCount();
  const std::uint32_t tableAt = TopicTableRecord(sound, 0);
  std::map<std::string, bool> atHome;  // whether a topic lies in its home slot
  for (const char* topic : {"a.htm", "big.bin", "z.htm"})
    atHome[topic] = stow::HomeSlot(topic, slots) == SlotOf(m_path, topic);
  // Every slot leads out of the table, or to itself: a lookup of a name that is
  // not there would never end. Topics in their home slot are still found.
  for (const std::string chain : {"out of the table", "to itself"}) {
    Rewrite(m_path, sound);
    for (std::uint32_t slot = 0; slot < slots; ++slot)
      PatchU32(m_path, tableAt + slot * 24 + 16,
               chain == "to itself" ? slot
               : slot % 2           ? 0x7FFFFFFF
                                    : 0x80000000);
    for (const char* topic : {"nothing", "b.htm", "x/y.gif"})
      EXPECT_EQ(ReadCode(topic), kNotFound) << chain << topic;
    for (const auto& [topic, home] : atHome)
      EXPECT_EQ(ReadCode(topic), home ? 0u : kNotFound) << chain << topic;
  }
}

TEST_P(DamagedArchiveTest, SkippedBlockBehindTheNameIsSkippedUnlessBeyondTheEndOfTheFile) {
  stow::ArchiveWriter writer(Properties());
  writer.AddBytes("with.htm", "the data", std::string(3 * 20, '\x55'));
  writer.AddBytes("without.htm", "other data");
  m_path = m_folder / "skip.vxb";
  writer.Write(m_path);
  const std::unique_ptr<ThisVxbFile> archive = Load(m_path);
  for (const auto& [path, bytes] : Topics{{"with.htm", "the data"}, {"without.htm", "other data"}}) {
    std::string request = path;
    ASSERT_TRUE(archive->OpenTopic(ThisVxbFile::kNoTopic, request)) << path;
    EXPECT_EQ(ReadAll(*archive), bytes) << path;
  }
  const SlotPlace with = PlaceOf(m_path, "with.htm");
  EXPECT_EQ(with.slot.slotListIndex, stow::kSkippedBlockMark);
  PatchU16(m_path, with.dataAt, 0xFFFF);  // the block's entry count
  std::string detail;
  EXPECT_EQ(ReadCode("with.htm", &detail), kCorrupt);
  EXPECT_EQ(detail, " (bad topic length)");
}

TEST_P(DamagedArchiveTest, ArchivesCutShortAnywhere) {
  const std::string sound = TempFolder::ReadAll(m_path);
  for (std::size_t length = 0; length < sound.size(); length += 997) {
    Rewrite(m_path, sound.substr(0, length));
    for (const char* topic : {"a.htm", "big.bin", "z.htm"}) {
      const std::uint32_t code = ReadCode(topic);
      EXPECT_TRUE(code == kCorrupt || code == 1009) << "cut at " << length << ": " << code;
    }
  }
}

TEST_P(DamagedArchiveTest, FileCutShortAfterLoading) {
  // Loaded whole, then cut within the topic table: what is left reads, the rest
  // fails with 1009 (unreadable) or 1031 (damage found), never with a crash.
  const std::uint32_t tableAt = TopicTableRecord(TempFolder::ReadAll(m_path), 0);
  for (const std::uint64_t cut : {std::uint64_t{tableAt} + 24, std::uint64_t{4096}, std::uint64_t{0}}) {
    const std::unique_ptr<ThisVxbFile> archive = Load(m_path);
    ASSERT_EQ(::truncate(m_path.c_str(), static_cast<off_t>(cut)), 0);
    for (const char* topic : {"a.htm", "big.bin", "z.htm", "nothing.htm"}) {
      const std::uint32_t code = ThrownCode([&] {
        std::string path = topic;
        if (archive->OpenTopic(ThisVxbFile::kNoTopic, path)) ReadAll(*archive);
      });
      EXPECT_TRUE(code == 0 || code == 1009 || code == kCorrupt) << "cut at " << cut << ", " << topic << ": " << code;
    }
    // The table of a mapped archive goes with the cut; a read one was copied.
    const std::uint32_t code = ThrownCode([&] { archive->GetSlot(archive->GetSlotCount() - 1); });
    if (GetParam() && cut == 0) EXPECT_EQ(code, 1009u);
    else EXPECT_TRUE(code == 0 || (GetParam() && code == 1009)) << "cut at " << cut << ": " << code;
    BuildSound();
  }
}

INSTANTIATE_TEST_SUITE_P(MappedOrRead, DamagedArchiveTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Mapped" : "Read"; });

}  // namespace
}  // namespace archive_tests
