#include "archive/VexoBiffFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "archive/Crc16.h"
#include "base/KelException.h"
#include "base/MessageText.h"
#include "base/messages/MessageTable.h"
#include "platform/FileFaults.h"
#include "platform/tests/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Failure = std::unique_ptr<CKelFileException>;

// The archive document's kind: flags 1, no name, no GUID, version 3.00.
constexpr BiffFileKind kArchiveKind{1, nullptr, nullptr, 3, 0, 0, 0, 0, 0, 0, 0};

constexpr GUID kTypeGuid{0x00030002, 0x0000, 0x1101, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};
constexpr GUID kOtherGuid{0x00010000, 0x0000, 0x1101, {0x80, 0x06, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

// A kind with everything: GUID, name that must match, record 260, alignment 16.
constexpr BiffFileKind kStrictKind{2 | 4, "Stowra", &kTypeGuid, 2, 5, 7, 9, 2, 0, 16, 256};

constexpr std::time_t kMarch15 = 1710506096;  // 2024-03-15 12:34:56 UTC

Failure Caught(const std::function<void()>& action) {
  try {
    action();
  } catch (CKelFileException* e) {
    return Failure(e);
  }
  return nullptr;
}

// Whether ACTION fails as memory does (the framework's out-of-memory exception).
bool RunsOutOfMemory(const std::function<void()>& action) {
  try {
    action();
  } catch (CMemoryException* e) {
    e->Delete();
    return true;
  }
  return false;
}

void PutWord(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void AppendWords(Bytes& bytes, std::initializer_list<std::uint16_t> words) {
  for (std::uint16_t w : words) {
    bytes.push_back(static_cast<std::uint8_t>(w));
    bytes.push_back(static_cast<std::uint8_t>(w >> 8));
  }
}

// Stores a fresh header CRC, as a writer that meant the change would.
void ResealHeader(Bytes& bytes) { PutWord(bytes, 22, Crc16(bytes.data(), 22)); }

class VexoBiffFileTest : public ::testing::Test {
 protected:
  VexoBiffFileTest() {
    InstallMessageTable();
    m_faults.PretendCurrentFolder(m_folder.Path());
  }
  ~VexoBiffFileTest() override { SetMessageTable(nullptr); }

  // Writes a container of KIND with CONTENT behind its list; ADD adds records.
  std::string WriteContainer(const BiffFileKind& kind, const std::string& name,
                             const std::string& content = {},
                             const std::function<void(CVexoBiffFile&)>& add = {}) {
    CVexoBiffFile file(kind);
    file.SetCreationTime(kMarch15);
    file.Create(m_folder / name);
    if (add) add(file);
    file.Write(content.data(), content.size());
    file.Finish();
    file.Close();
    return m_folder / name;
  }

  Bytes ReadBytes(const std::string& path) {
    const std::string text = TempFolder::ReadAll(path);
    return Bytes(text.begin(), text.end());
  }

  std::string WriteBytes(const std::string& name, const Bytes& bytes) {
    return m_folder.Write(name, std::string(bytes.begin(), bytes.end()));
  }

  // The failure of opening PATH with KIND, or null when it opens.
  Failure OpenFailure(const std::string& path, const BiffFileKind& kind = kArchiveKind) {
    CVexoBiffFile file(kind);
    return Caught([&] { file.Open(path); });
  }

  TempFolder m_folder;
  FileFaults m_faults;
};

// Writing ------------------------------------------------------------------------

TEST_F(VexoBiffFileTest, BareArchiveIsWrittenByteForByteAndReadsBack) {
  const std::string path = WriteContainer(kArchiveKind, "bare.vxb", "content");
  const Bytes bytes = ReadBytes(path);
  Bytes expected = {0x1A, 0xFF, 0x01, 0x00, 24, 0, 0, 0, 'V', 'E', 'X', 'O', 'B', 'I', 'F', 'F',
                    48, 0, 0, 0, 24, 0, 0, 0};
  AppendWords(expected, {9, 12, 3, 0, 0, 0});          // version 3.00, further words 0 0
  AppendWords(expected, {258, 12, 72, 0, 0, 0});       // data offset 72, then 0
  AppendWords(expected, {264, 8, 0, 0});
  AppendWords(expected, {10, 8, 0x586F, 0x645C});      // 2024-03-15, 12:34:56
  AppendWords(expected, {1, 8});
  AppendWords(expected, {Crc16(expected.data() + 24, expected.size() - 24), 0});
  PutWord(expected, 22, Crc16(expected.data(), 22));
  expected.insert(expected.end(), {'c', 'o', 'n', 't', 'e', 'n', 't'});
  EXPECT_EQ(bytes, expected);

  // Header and list are read with one read each; the records are then at hand.
  CVexoBiffFile file(kArchiveKind);
  const unsigned before = m_faults.Count(os::FileCall::Read);
  file.Open(path);
  EXPECT_EQ(file.ReadRecords().Type(), 9);
  EXPECT_EQ(m_faults.Count(os::FileCall::Read) - before, 2u);
  EXPECT_EQ(file.GetVersionRecord().Word(0), 3);
  EXPECT_TRUE(file.GetRecord264());
  EXPECT_FALSE(file.GetRecord260());
  EXPECT_TRUE(file.HasEndRecord());
  EXPECT_EQ(file.GetListCrc(), bytes[68] | (bytes[69] << 8));
  EXPECT_EQ(file.GetPosition(), 72u);
  char content[8] = {};
  std::size_t read = 0;
  file.Read(content, sizeof content, read);
  EXPECT_EQ(std::string(content, read), "content");
  // Close frees the records; the file opens again by its path.
  file.Close();
  EXPECT_FALSE(file.GetVersionRecord());
  EXPECT_EQ(file.GetDataOffset(), 0u);
  file.Open({});
  EXPECT_EQ(file.GetDataOffset(), 72u);
}

TEST_F(VexoBiffFileTest, StrictKindWritesItsRecordsInOrderAndAligns) {
  const std::string path = WriteContainer(kStrictKind, "strict.vxb", "x", [](CVexoBiffFile& f) {
    f.GetRecord260().SetDword(0, 0x11223344);
    f.GetRecord264().SetDword(0, 0x55667788);
  });
  const Bytes bytes = ReadBytes(path);
  std::vector<std::uint16_t> types;
  for (std::size_t at = 24; at < bytes.size();) {
    types.push_back(static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
    if (types.back() == 1) break;
    at += bytes[at + 2] | (bytes[at + 3] << 8);
  }
  EXPECT_EQ(types, (std::vector<std::uint16_t>{12, 8, 9, 258, 264, 10, 260, 1}));

  CVexoBiffFile file(kStrictKind);
  file.Open(path);
  EXPECT_EQ(file.GetName(), "Stowra");
  EXPECT_TRUE(file.HasFileType());
  EXPECT_EQ(file.GetFileType(), kTypeGuid);
  EXPECT_EQ(file.GetVersionRecord().Word(4), 7);
  EXPECT_EQ(file.GetVersionRecord().Word(6), 9);
  EXPECT_EQ(file.GetRecord260().Dword(0), 0x11223344u);
  EXPECT_EQ(file.GetRecord264().Dword(0), 0x55667788u);
  EXPECT_EQ(file.GetDataOffset() % 16, 0u);
  EXPECT_EQ(bytes.size(), file.GetDataOffset() + 1u);
  EXPECT_EQ(bytes.back(), 'x');
  // GUID bytes in the binary layout
  const Bytes guid(bytes.begin() + 28, bytes.begin() + 44);
  EXPECT_EQ(guid, (Bytes{0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x11, 0x80, 0x02, 0x00, 0x00,
                         0xC0, 0x6B, 0x51, 0x61}));
}

TEST_F(VexoBiffFileTest, RecordsAreWrittenAndSeenInOrderAndMoveTheContent) {
  const std::string path = WriteContainer(kArchiveKind, "s.vxb", "DATA", [](CVexoBiffFile& f) {
    f.AddStringRecord(256, "Caf\xC3\xA9 \xE2\x82\xAC");  // "Café €", widened as Windows-1252
    f.AddRecord(0x4001, 4);
  });
  const Bytes bytes = ReadBytes(path);
  const Bytes record(bytes.begin() + 64, bytes.begin() + 64 + 20);
  Bytes expected;
  AppendWords(expected, {256, 20, 'C', 'a', 'f', 0xFFE9, ' ', 0xFF80, 0, 0});
  EXPECT_EQ(record, expected);

  struct Recorder : CVexoBiffFile {
    Recorder() : CVexoBiffFile(kArchiveKind) {}
    void HandleRecord(BiffRecord record) override {
      CVexoBiffFile::HandleRecord(record);
      types.push_back(record.Type());
      if (record.Type() == 256) text = record.Text();
    }
    std::vector<std::uint16_t> types;
    std::string text;
  } reader;
  reader.Open(path);
  EXPECT_EQ(reader.types, (std::vector<std::uint16_t>{9, 258, 264, 10, 256, 0x4001, 1}));
  EXPECT_EQ(reader.text, "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(reader.GetDataOffset(), 64u + 20u + 8u + 8u);
  char data[4];
  reader.Read(data, 4);
  EXPECT_EQ(std::string(data, 4), "DATA");
}

TEST_F(VexoBiffFileTest, RecordsThatDoNotFitFail) {
  CVexoBiffFile late(kArchiveKind);  // records added after content may not overwrite it
  late.Create(m_folder / "late.vxb");
  late.Write("DATA", 4);
  Failure e = Caught([&] { late.AddRecord(0x5000, 4); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->m_code, 1010u);

  // A full record block fails as memory does.
  static constexpr BiffFileKind kSmall{1, nullptr, nullptr, 1, 0, 0, 0, 0, 0, 0, 64};
  CVexoBiffFile file(kSmall);
  file.Create(m_folder / "small.vxb");  // 24 + 40 bytes: the block is full
  EXPECT_TRUE(RunsOutOfMemory([&] { file.Finish(); }));

  // The writer never makes a list readers refuse, whatever the kind's capacity.
  static constexpr BiffFileKind kRoomy{1, nullptr, nullptr, 3, 0, 0, 0, 0, 0, 0, 70000};
  CVexoBiffFile roomy(kRoomy);
  roomy.Create(m_folder / "biggest.vxb");
  EXPECT_TRUE(RunsOutOfMemory([&] { roomy.AddRecord(0x4000, 65520 - 40 + 1); }));
  roomy.AddRecord(0x4000, 65520 - 48);  // leaves no room for the end record
  EXPECT_TRUE(RunsOutOfMemory([&] { roomy.Finish(); }));
}

TEST_F(VexoBiffFileTest, CreationTimeFollowsSourceDateEpoch) {
  // Epoch, date word, time word; before 1980 is the earliest date there is.
  for (const auto& [epoch, date, time] : {std::tuple{"1710506096", 0x586F, 0x645C}, {"0", 0x21, 0}}) {
    CVexoBiffFile file(kArchiveKind);
    ::setenv("SOURCE_DATE_EPOCH", epoch, 1);
    file.Create(m_folder / "epoch.vxb");
    ::unsetenv("SOURCE_DATE_EPOCH");
    file.Finish();
    file.Close();
    const Bytes bytes = ReadBytes(m_folder / "epoch.vxb");
    EXPECT_EQ(bytes[60] | (bytes[61] << 8), date) << epoch;
    EXPECT_EQ(bytes[62] | (bytes[63] << 8), time) << epoch;
  }
}

// Reading ------------------------------------------------------------------------

TEST_F(VexoBiffFileTest, ListsClosedByOtherLowTypesAreAcceptedUnchecked) {
  for (std::uint16_t type : {0, 2, 3, 4, 5, 6, 7}) {
    Bytes bytes = ReadBytes(WriteContainer(kArchiveKind, "t.vxb"));
    PutWord(bytes, 56, type);  // record 10 now closes the list
    bytes[68] ^= 0xFF;         // a wrong list CRC that nobody checks
    CVexoBiffFile file(kArchiveKind);
    file.Open(WriteBytes("low.vxb", bytes));
    EXPECT_FALSE(file.HasEndRecord()) << type;
    EXPECT_EQ(file.GetDataOffset(), 72u);
  }
}

TEST_F(VexoBiffFileTest, ContainersOpenOrFailWithTheirCodeAndDetail) {
  static constexpr BiffFileKind kRoomy{1, nullptr, nullptr, 3, 0, 0, 0, 0, 0, 0, 70000};
  static constexpr BiffFileKind kNewer{1, nullptr, nullptr, 3, 1, 0, 0, 0, 0, 0, 0};
  static constexpr BiffFileKind kOld{1, nullptr, nullptr, 1, 5, 0, 0, 0, 0, 0, 0};
  static constexpr BiffFileKind kNeedsTwo{1, nullptr, nullptr, 3, 0, 0, 0, 2, 0, 0, 0};
  static constexpr BiffFileKind kOtherName{2, "Other", nullptr, 3, 0, 0, 0, 0, 0, 0, 0};
  static constexpr BiffFileKind kOtherType{0, nullptr, &kOtherGuid, 3, 0, 0, 0, 0, 0, 0, 0};
  static constexpr BiffFileKind kNeedsType{0, nullptr, &kTypeGuid, 3, 0, 0, 0, 0, 0, 0, 0};
  static constexpr BiffFileKind kTypeOptional{1, nullptr, &kTypeGuid, 3, 0, 0, 0, 0, 0, 0, 0};
  const std::string bare = WriteContainer(kArchiveKind, "bare.vxb");
  const std::string strict = WriteContainer(kStrictKind, "strict.vxb");
  const std::string unknown = WriteContainer(kArchiveKind, "unknown.vxb", "", [](CVexoBiffFile& f) {
    f.AddRecord(0x7777, 6).Payload()[5] = 0x42;
  });
  const std::string big = WriteContainer(kRoomy, "big.vxb", "", [](CVexoBiffFile& f) {
    f.AddRecord(0x4000, 65520 - 48 - 4);  // the longest list there may be
  });
  // The container at PATH with CHANGE made to its bytes, written under a name of its own.
  int changes = 0;
  const auto changed = [&](const std::string& path, const std::function<void(Bytes&)>& change) {
    Bytes bytes = ReadBytes(path);
    change(bytes);
    return WriteBytes("changed" + std::to_string(++changes) + ".vxb", bytes);
  };
  const auto version = [](std::uint16_t value) {
    return [value](Bytes& b) { PutWord(b, 2, value), ResealHeader(b); };
  };
  const auto shortRecord = [](CVexoBiffFile& f) { f.AddRecord(biff::kFileType, 8); };
  const struct {
    const char* name;
    std::string path;
    const BiffFileKind& kind;
    std::uint32_t code;  // 0: it opens
    std::string args;    // the failure's first and second argument, joined by '|'
  } cases[] = {
      {"unknown record", unknown, kArchiveKind, 0, ""},
      {"unknown record damaged", changed(unknown, [](Bytes& b) { b[64 + 4 + 5] ^= 1; }),
       kArchiveKind, 1035, " (VEXO-BIFF topic list)|"},
      {"container version 1.00", changed(bare, version(0x0100)), kArchiveKind, 0, ""},
      {"container version 1.01", changed(bare, version(0x0101)), kArchiveKind, 1034,
       " (VEXO-BIFF Version 1.01)|"},
      {"longest list", big, kArchiveKind, 0, ""},
      {"list too long", changed(big, [](Bytes& b) { PutWord(b, 16, 65521), ResealHeader(b); }),
       kArchiveKind, 1034, " (invalid VEXO-BIFF header contents)|"},
      {"newer kind version", WriteContainer(kNewer, "n.vxb"), kArchiveKind, 1114, "3.01|"},
      {"older kind version", WriteContainer(kOld, "o.vxb"), kNeedsTwo, 1113, "1.05|2.00"},
      {"kind version needed", bare, kNeedsTwo, 0, ""},
      {"other name", strict, kOtherName, 1036, " \"Stowra\"|"},
      {"other file type", strict, kOtherType, 1031, " (bad file type GUID)|"},
      {"no file type", bare, kNeedsType, 1031, " (no file type GUID specified)|"},
      {"file type optional", bare, kTypeOptional, 0, ""},
      {"no file type expected", strict, kArchiveKind, 0, ""},
      {"record too short for its type", WriteContainer(kArchiveKind, "short.vxb", "", shortRecord),
       kArchiveKind, 1031, " (bad topic length)|"},
      {"record that cannot advance the walk", changed(bare, [](Bytes& b) { PutWord(b, 26, 2); }),
       kArchiveKind, 1031, " (bad topic length)|"},
      {"missing file", m_folder / "none.vxb", kArchiveKind, 1001, ""},
  };
  for (const auto& c : cases) {
    const Failure e = OpenFailure(c.path, c.kind);
    ASSERT_EQ(e ? e->m_code : 0, c.code) << c.name;
    if (!e || c.code == 1001) continue;
    EXPECT_EQ(e->m_arg1 + "|" + e->m_arg2, c.args) << c.name;
    EXPECT_EQ(e->m_location, "file \"" + std::filesystem::path(c.path).filename().string() + "\"")
        << c.name;
  }
  // A failed read is a read error with the system's code.
  m_faults.Add({os::FileCall::Read, "bare.vxb", ERROR_INVALID_FUNCTION, SIZE_MAX, 1});
  const Failure e = OpenFailure(bare);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->m_code, 1009u);
  EXPECT_EQ(e->m_systemError, ERROR_INVALID_FUNCTION);
}

// Damage -------------------------------------------------------------------------

// What flipping every bit of the byte at AT of the bare archive must give.
std::pair<std::uint32_t, std::string> ExpectedForFlip(std::size_t at) {
  if (at <= 1 || (at >= 8 && at <= 15)) return {1036, " (no VEXO-BIFF)"};
  if (at == 3) return {1034, " (VEXO-BIFF Version 1.255)"};
  if (at == 18 || at == 19 || at == 20 || at == 21) return {1034, " (invalid VEXO-BIFF header contents)"};
  if (at < 24) return {1035, " (VEXO-BIFF header)"};
  const std::size_t recordStarts[] = {24, 36, 48, 56, 64};
  for (std::size_t start : recordStarts) {
    if (at == start + 2 || at == start + 3) return {1031, " (bad topic length)"};
  }
  if (at == 64 || at == 65) return {1031, " (bad topic length)"};  // the list is left unclosed
  return {1035, " (VEXO-BIFF topic list)"};
}

TEST_F(VexoBiffFileTest, EveryFlippedByteAndEveryTruncationOfHeaderAndListIsCaught) {
  const Bytes good = ReadBytes(WriteContainer(kArchiveKind, "good.vxb", "content"));
  for (std::size_t length = 0; length < 72; ++length) {
    Failure e = OpenFailure(WriteBytes("cut.vxb", Bytes(good.begin(), good.begin() + length)));
    ASSERT_TRUE(e) << "length " << length;
    EXPECT_EQ(e->m_code, 1009u) << "length " << length;
    EXPECT_EQ(e->m_systemError, ERROR_INVALID_DATA) << "length " << length;
    EXPECT_EQ(e->m_arg1, "cut.vxb") << "length " << length;
  }
  for (std::size_t at = 0; at < 72; ++at) {
    Bytes bad = good;
    bad[at] ^= 0xFF;
    Failure e = OpenFailure(WriteBytes("flipped.vxb", bad));
    ASSERT_TRUE(e) << "byte " << at;
    const auto [code, detail] = ExpectedForFlip(at);
    EXPECT_EQ(e->m_code, code) << "byte " << at;
    EXPECT_EQ(e->m_arg1, detail) << "byte " << at;
    EXPECT_EQ(e->m_location, "file \"flipped.vxb\"") << "byte " << at;
  }
}

}  // namespace
