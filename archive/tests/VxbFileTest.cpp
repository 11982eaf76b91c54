// The archive's own records and the checks of OpenArchive.
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

#include "archive/tests/ArchiveFixture.h"

namespace archive_tests {
namespace {

constexpr std::uint32_t kCorrupt = 1031;

class VxbFileTest : public ArchiveTest {
 protected:
  // A container of the archive kind with the records that ADD puts in.
  template <class Add>
  std::string Container(Add&& add) {
    const std::string path = m_folder / "records.vxb";
    CVexoBiffFile file(stow::VxbFile::kKind);
    file.SetCreationTime(1700000000);  // 2023-11-14 22:13:20 UTC
    file.Create(path);
    add(file);
    file.Finish();
    file.Close();
    return path;
  }
  static void AddGuid(CVexoBiffFile& file, const GUID& guid) {
    std::uint8_t* at = file.AddRecord(biff::kFileType, 16).Payload();
    vxs::PutU32(at, guid.Data1);
    vxs::PutU16(at + 4, guid.Data2);
    vxs::PutU16(at + 6, guid.Data3);
    std::memcpy(at + 8, guid.Data4, 8);
  }
  static void AddTableRecords(CVexoBiffFile& file, std::uint32_t format = 24 | (1 << 8)) {
    file.AddRecord(stow::kRecordArchiveHeader, 28).SetDword(12, 0xFFFFFFFF);
    file.AddRecord(stow::kRecordTopicTable, 20).SetDword(16, format);
  }
  std::uint32_t OpenArchiveCode(const std::string& path, std::string* detail = nullptr) {
    ThisVxbFile archive;
    archive.SetPath(path);
    return ThrownCode([&] { archive.LoadTopicTable(); }, detail);
  }
};

TEST_F(VxbFileTest, RecordsOfAnArchiveWrittenByTheWriter) {
  stow::ArchiveProperties properties = Properties();
  properties.name = "Caf\xC3\xA9 Manual";
  properties.title = "The \xE2\x80\x9Cmanual\xE2\x80\x9D";
  properties.copyright = "\xC2\xA9 2023 Example";
  properties.firmCode = 10;
  properties.startTopic = "b.htm";
  const std::string path = Build({{"a.htm", "a"}, {"b.htm", "b"}}, properties);

  stow::VxbFile file;
  file.Open(path);
  EXPECT_EQ(file.GetArchiveName(), "Caf\xC3\xA9 Manual");
  EXPECT_EQ(file.GetTitle(), "The \xE2\x80\x9Cmanual\xE2\x80\x9D");
  EXPECT_EQ(file.GetCopyright(), "\xC2\xA9 2023 Example");
  EXPECT_EQ(file.GetFirmCode(), 10u);
  EXPECT_TRUE(file.HasFileType());
  EXPECT_EQ(file.GetFileType(), stow::kArchiveGuids[0]);
  const stow::ArchiveTime& t = file.GetCreationTime();
  EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek,
                              t.milliseconds}),
            (std::vector<int>{2023, 11, 14, 22, 13, 20, 0, 0}));

  const std::unique_ptr<ThisVxbFile> archive = Load(path);
  std::string start;
  ASSERT_TRUE(archive->OpenTopic(archive->GetStartTopic(), start));
  EXPECT_EQ(start, "b.htm");
}

TEST_F(VxbFileTest, FirmCodeOfTheLaterRecordWins) {
  const auto header = [](CVexoBiffFile& f) {
    f.AddRecord(stow::kRecordArchiveHeader, 28).SetDword(0, 7);
  };
  const auto alternative = [](CVexoBiffFile& f) { f.AddRecord(stow::kRecordFirmCode, 4).SetDword(0, 9); };
  const std::tuple<const char*, std::function<void(CVexoBiffFile&)>, std::uint32_t> cases[] = {
      {"header first", [&](CVexoBiffFile& f) { header(f), alternative(f); }, 9},
      {"alternative first", [&](CVexoBiffFile& f) { alternative(f), header(f); }, 7},
      {"neither", [](CVexoBiffFile&) {}, stow::kNoFirmCode},
  };
  stow::VxbFile file;
  for (const auto& [name, add, firmCode] : cases) {
    file.Open(Container(add));
    EXPECT_EQ(file.GetFirmCode(), firmCode) << name;
    file.Close();
  }
}

TEST_F(VxbFileTest, FileTypeAndTopicTableRecordsAreChecked) {
  GUID wrong = stow::kArchiveGuids[0];
  wrong.Data4[7] ^= 1;  // the last byte only
  struct Case {
    std::string name;
    std::function<void(CVexoBiffFile&)> add;
    std::uint32_t code;
    const char* detail;  // null: any
  };
  std::vector<Case> cases = {
      {"wrong GUID", [&](auto& f) { AddGuid(f, wrong), AddTableRecords(f); }, kCorrupt,
       " (bad file type GUID)"},
      {"no file-type record", [](auto& f) { AddTableRecords(f); }, 0, ""},
      {"no topic table", [](auto& f) { f.AddRecord(stow::kRecordArchiveHeader, 28); }, kCorrupt,
       " (wrong file header)"},
      {"no archive header", [](auto& f) { f.AddRecord(stow::kRecordTopicTable, 20); }, kCorrupt, nullptr},
      {"slots of 20 bytes", [](auto& f) { AddTableRecords(f, 20 | (1 << 8)); }, kCorrupt, nullptr},
      {"table format 2", [](auto& f) { AddTableRecords(f, 24 | (2 << 8)); }, kCorrupt, nullptr},
  };
  for (const GUID& guid : stow::kArchiveGuids) {
    cases.push_back({"archive GUID " + std::to_string(guid.Data1),
                     [&guid](auto& f) { AddGuid(f, guid), AddTableRecords(f); }, 0, ""});
  }
  for (const Case& c : cases) {
    std::string detail;
    EXPECT_EQ(OpenArchiveCode(Container(c.add), &detail), c.code) << c.name;
    if (c.detail) {
      EXPECT_EQ(detail, c.detail) << c.name;
    }
  }
  // An empty topic table finds nothing.
  const std::unique_ptr<ThisVxbFile> archive =
      Load(Container([](CVexoBiffFile& f) { AddTableRecords(f); }));
  EXPECT_EQ(archive->GetSlotCount(), 0u);
  EXPECT_EQ(archive->GetStartTopic(), ThisVxbFile::kNoTopic);
  std::string path = "index.htm";
  EXPECT_FALSE(archive->OpenTopic(ThisVxbFile::kNoTopic, path));
  EXPECT_FALSE(archive->OpenTopic(0, path));
}

TEST_F(VxbFileTest, ReopeningForgetsTheRecordsOfTheArchiveBefore) {
  stow::ArchiveProperties properties = Properties();
  properties.title = "First";
  properties.firmCode = 5;
  const std::string first = Build({{"a.htm", "a"}}, properties);
  const std::string second = m_folder / "second.vxb";
  std::filesystem::rename(first, second);
  const std::string third = Build({{"b.htm", "b"}});

  ThisVxbFile archive;
  archive.SetPath(second);
  archive.LoadTopicTable();
  EXPECT_EQ(archive.GetTitle(), "First");
  archive.Close();
  archive.SetPath(third);
  archive.LoadTopicTable();
  EXPECT_EQ(archive.GetTitle(), "");
  EXPECT_EQ(archive.GetFirmCode(), stow::kNoFirmCode);
  std::string path = "a.htm";
  EXPECT_FALSE(archive.OpenTopic(ThisVxbFile::kNoTopic, path));
  path = "b.htm";
  EXPECT_TRUE(archive.OpenTopic(ThisVxbFile::kNoTopic, path));
}

}  // namespace
}  // namespace archive_tests
