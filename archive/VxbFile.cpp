#include "archive/VxbFile.h"

#include <algorithm>

#include "base/KelException.h"

namespace stow {

namespace {

constexpr std::uint32_t kCorruptFile = 1031;  // "file is corrupt%1"

// MS-DOS date and time as the creation-time record holds them.
ArchiveTime UnpackDosTime(std::uint16_t date, std::uint16_t time) {
  ArchiveTime t;
  t.year = static_cast<std::uint16_t>((date >> 9) + 1980);
  t.month = (date >> 5) & 0x0F;
  t.day = date & 0x1F;
  t.hour = time >> 11;
  t.minute = (time >> 5) & 0x3F;
  t.second = static_cast<std::uint16_t>((time & 0x1F) * 2);
  return t;
}

}  // namespace

const GUID kArchiveGuids[2] = {
    {0x00030002, 0x0000, 0x1101, {0x80, 0x02, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}},
    {0x00010000, 0x0000, 0x1101, {0x80, 0x06, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}},
};

const BiffFileKind VxbFile::kKind = {
    .flags = BiffFileKind::kAcceptNoFileType,
    .name = nullptr,
    .fileType = nullptr,
    .versionMajor = 3,
    .versionMinor = 0,
    .versionWord3 = 0,
    .versionWord4 = 0,
    .minimumMajor = 0,
    .minimumMinor = 0,
    .alignment = 0,
    .capacity = 0,
};

VxbFile::VxbFile() : CVexoBiffFile(kKind) {}

void VxbFile::HandleRecord(BiffRecord record) {
  CVexoBiffFile::HandleRecord(record);
  switch (record.Type()) {
    case biff::kFileType:
      if (std::find(std::begin(kArchiveGuids), std::end(kArchiveGuids), GetFileType()) ==
          std::end(kArchiveGuids))
        Fail(kCorruptFile, " (bad file type GUID)");
      break;
    case kRecordArchiveName:
      m_archiveName = record.Text();
      break;
    case kRecordTitle:
      m_title = record.Text();
      break;
    case kRecordCopyright:
      m_copyright = record.Text();
      break;
    case kRecordCreationTime:
      m_creationTime = UnpackDosTime(record.Word(0), record.Word(2));
      break;
    case kRecordArchiveHeader:
    case kRecordFirmCode:
      m_firmCode = record.Dword(0);
      break;
    default:
      break;
  }
}

void VxbFile::Open(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  m_archiveName.clear();
  m_title.clear();
  m_copyright.clear();
  m_firmCode = kNoFirmCode;
  m_creationTime = {};
  CVexoBiffFile::Open(path, access, disposition, flags);
}

}  // namespace stow
