#include "archive/VexoBiffFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/Crc16.h"
#include "base/LittleEndian.h"
#include "platform/Framework.h"

namespace {

constexpr std::uint8_t kMagic[8] = {'V', 'E', 'X', 'O', 'B', 'I', 'F', 'F'};
constexpr std::uint16_t kMark = 0xFF1A;
constexpr std::uint16_t kNewestFormat = 0x0100;
constexpr std::uint16_t kWrittenFormat = 0x0001;  // major 1, minor 0

// Header fields by offset.
constexpr std::size_t kMarkAt = 0;
constexpr std::size_t kFormatAt = 2;
constexpr std::size_t kListOffsetAt = 4;
constexpr std::size_t kMagicAt = 8;
constexpr std::size_t kListLengthAt = 16;
constexpr std::size_t kHeaderLengthAt = 20;
constexpr std::size_t kHeaderCrcAt = 22;

// Whether the first COUNT bytes of HEADER agree with the marks of a header; an
// empty file may be an archive cut short.
bool BeginsLikeHeader(const std::uint8_t* header, std::size_t count) {
  const std::uint8_t marks[2] = {kMark & 0xFF, kMark >> 8};
  for (std::size_t i = 0; i < count; ++i) {
    if (i < kFormatAt && header[i] != marks[i]) return false;
    const bool inMagic = i >= kMagicAt && i < kMagicAt + sizeof kMagic;
    if (inMagic && header[i] != kMagic[i - kMagicAt]) return false;
  }
  return true;
}

std::size_t RoundUp(std::size_t value, std::size_t step) { return (value + step - 1) / step * step; }

std::string VersionText(unsigned major, unsigned minor) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%02u", major, minor);
  return text;
}

GUID GuidAt(const std::uint8_t* at) {
  GUID guid{};
  guid.Data1 = vxs::GetU32(at);
  guid.Data2 = vxs::GetU16(at + 4);
  guid.Data3 = vxs::GetU16(at + 6);
  std::memcpy(guid.Data4, at + 8, sizeof guid.Data4);
  return guid;
}

void PutGuid(std::uint8_t* at, const GUID& guid) {
  vxs::PutU32(at, guid.Data1);
  vxs::PutU16(at + 4, guid.Data2);
  vxs::PutU16(at + 6, guid.Data3);
  std::memcpy(at + 8, guid.Data4, sizeof guid.Data4);
}

// MS-DOS date and time words (date: years since 1980, month, day; time: hours,
// minutes, seconds / 2), clamped to the years they can hold.
std::pair<std::uint16_t, std::uint16_t> DosDateTime(std::time_t utc) {
  std::tm parts{};
  gmtime_r(&utc, &parts);
  const int year = parts.tm_year + 1900;
  if (year < 1980) return {(1 << 5) | 1, 0};
  if (year > 2107) return {(127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29};
  const auto date = static_cast<std::uint16_t>(((year - 1980) << 9) | ((parts.tm_mon + 1) << 5) |
                                               parts.tm_mday);
  const auto time = static_cast<std::uint16_t>((parts.tm_hour << 11) | (parts.tm_min << 5) |
                                               (parts.tm_sec / 2));
  return {date, time};
}

// SOURCE_DATE_EPOCH, when set to a number of seconds.
std::optional<std::time_t> SourceDateEpoch() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  const long long seconds = std::strtoll(text, &end, 10);
  if (*end != '\0' || seconds < 0) return std::nullopt;
  return static_cast<std::time_t>(seconds);
}

}  // namespace

CVexoBiffFile::CVexoBiffFile(const BiffFileKind& kind) : m_kind(kind) {}

void CVexoBiffFile::Reset() {
  FreeRecords();
  CKelFile::Reset();
}

void CVexoBiffFile::Close() {
  FreeRecords();
  CKelFile::Close();
}

void CVexoBiffFile::FreeRecords() {
  m_buffer.reset();
  m_used = m_capacity = 0;
  m_versionRecord = m_dataOffsetRecord = m_record264 = m_record260 = BiffRecord();
}

std::uint32_t CVexoBiffFile::GetDataOffset() const {
  return m_dataOffsetRecord ? m_dataOffsetRecord.Dword(0) : 0;
}

void CVexoBiffFile::Fail(std::uint32_t code, std::string detail, std::string arg2) const {
  ThrowFileError(*this, code, ERROR_SUCCESS, std::move(detail), std::move(arg2));
}

// Reading ----------------------------------------------------------------------

void CVexoBiffFile::Open(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  FreeRecords();
  OpenExisting(path, access, disposition, flags);
  m_name.clear();
  m_hasFileType = false;
  for (BiffRecord record = ReadRecords();; record = record.Next()) {
    HandleRecord(record);
    if (record.Type() < biff::kFirstOrdinary) break;
  }
  Seek(GetDataOffset());
  const bool fileTypeRequired =
      m_kind.fileType && !(m_kind.flags & BiffFileKind::kAcceptNoFileType);
  if (!m_hasFileType && fileTypeRequired) Fail(1031, " (no file type GUID specified)");
}

BiffRecord CVexoBiffFile::ReadRecords() {
  m_hasEndRecord = false;
  if (!m_buffer) {
    std::uint8_t header[kHeaderLength] = {};
    Seek(0);
    std::size_t got = 0;
    Read(header, sizeof header, got);
    // A file shorter than a header is no container unless it begins like one, and
    // then a container cut short.
    if (got < kHeaderLength && !BeginsLikeHeader(header, got)) Fail(1036, " (no VEXO-BIFF)");
    if (got < kHeaderLength) ThrowFileError(*this, 1009, ERROR_INVALID_DATA);
    ValidateHeader(header);
    const std::uint32_t listLength = vxs::GetU32(header + kListLengthAt);
    auto buffer = std::make_unique<std::uint8_t[]>(kHeaderLength + listLength);
    std::memcpy(buffer.get(), header, kHeaderLength);
    Seek(vxs::GetU32(header + kListOffsetAt));
    Read(buffer.get() + kHeaderLength, listLength);
    m_buffer = std::move(buffer);
    m_used = m_capacity = kHeaderLength + listLength;
  }
  ValidateList();
  return BiffRecord(m_buffer.get() + kHeaderLength);
}

void CVexoBiffFile::ValidateHeader(const std::uint8_t* header) const {
  if (vxs::GetU16(header + kMarkAt) != kMark ||
      std::memcmp(header + kMagicAt, kMagic, sizeof kMagic) != 0) {
    Fail(1036, " (no VEXO-BIFF)");
  }
  const std::uint16_t format = vxs::GetU16(header + kFormatAt);
  if (format > kNewestFormat) {
    Fail(1034, " (VEXO-BIFF Version " + VersionText(format & 0xFF, format >> 8) + ")");
  }
  if (vxs::GetU32(header + kListLengthAt) > kMaxListLength ||
      vxs::GetU16(header + kHeaderLengthAt) != kHeaderLength) {
    Fail(1034, " (invalid VEXO-BIFF header contents)");
  }
  if (Crc16(header, kHeaderLength) != 0) Fail(1035, " (VEXO-BIFF header)");
}

// Walks the loaded list up to its closing record: every record must lie inside the
// list, the list must be closed, and an end record must carry the list's CRC.
void CVexoBiffFile::ValidateList() {
  std::size_t at = kHeaderLength;
  for (;;) {
    if (m_used - at < 4) Fail(1031, " (bad topic length)");
    const BiffRecord record(m_buffer.get() + at);
    const std::size_t length = record.Length();
    if (length < 4 || length > m_used - at) Fail(1031, " (bad topic length)");
    if (record.Type() >= biff::kFirstOrdinary) {
      at += length;
      continue;
    }
    if (record.Type() == biff::kEnd) {
      if (length < 8) Fail(1031, " (bad topic length)");
      if (Crc16(m_buffer.get(), at + 8) != 0) Fail(1035, " (VEXO-BIFF topic list)");
      m_hasEndRecord = true;
      m_listCrc = record.Word(0);
    }
    return;
  }
}

void CVexoBiffFile::RequirePayload(BiffRecord record, std::size_t size) const {
  if (record.PayloadSize() < size) Fail(1031, " (bad topic length)");
}

void CVexoBiffFile::HandleRecord(BiffRecord record) {
  switch (record.Type()) {
    case biff::kName:
      m_name = record.Text();
      if ((m_kind.flags & BiffFileKind::kNameMustMatch) && m_name != (m_kind.name ? m_kind.name : "")) {
        Fail(1036, " \"" + m_name + "\"");
      }
      break;
    case biff::kVersion:
      RequirePayload(record, 4);
      m_versionRecord = record;
      CheckVersion(record);
      break;
    case biff::kFileType:
      RequirePayload(record, 16);
      m_fileType = GuidAt(record.Payload());
      m_hasFileType = true;
      if (m_kind.fileType && !(m_fileType == *m_kind.fileType)) Fail(1031, " (bad file type GUID)");
      break;
    case biff::kDataOffset:
      RequirePayload(record, 4);
      m_dataOffsetRecord = record;
      break;
    case biff::kKindWord260:
      RequirePayload(record, 4);
      m_record260 = record;
      break;
    case biff::kKindWord264:
      RequirePayload(record, 4);
      m_record264 = record;
      break;
    default:
      break;
  }
}

void CVexoBiffFile::CheckVersion(BiffRecord record) {
  const unsigned major = record.Word(0);
  const unsigned minor = record.Word(2);
  const std::uint32_t version = (major << 16) | minor;
  const std::uint32_t newest = (std::uint32_t{m_kind.versionMajor} << 16) | m_kind.versionMinor;
  const std::uint32_t oldest = (std::uint32_t{m_kind.minimumMajor} << 16) | m_kind.minimumMinor;
  if (version > newest) Fail(1114, VersionText(major, minor));
  if (version < oldest) {
    Fail(1113, VersionText(major, minor), VersionText(m_kind.minimumMajor, m_kind.minimumMinor));
  }
}

// Writing ----------------------------------------------------------------------

void CVexoBiffFile::Create(const std::string& path, DWORD access, DWORD disposition,
                           DWORD flags) {
  FreeRecords();
  CreateNew(path, access, disposition, flags);
  BeginRecordList();
}

void CVexoBiffFile::BeginRecordList() {
  m_alignment = m_kind.alignment ? m_kind.alignment : 4;
  const std::size_t block = RoundUp(m_kind.capacity ? m_kind.capacity : 4096, m_alignment);
  m_buffer = std::make_unique<std::uint8_t[]>(block);
  // No list may outgrow what readers accept.
  m_capacity = std::min(block, kHeaderLength + kMaxListLength);
  std::uint8_t* header = m_buffer.get();
  vxs::PutU16(header + kMarkAt, kMark);
  vxs::PutU16(header + kFormatAt, kWrittenFormat);
  std::memcpy(header + kMagicAt, kMagic, sizeof kMagic);
  vxs::PutU16(header + kHeaderLengthAt, kHeaderLength);
  m_used = kHeaderLength;

  if (m_kind.fileType) PutGuid(AppendRecord(biff::kFileType, 16).Payload(), *m_kind.fileType);
  if (m_kind.name) AppendStringRecord(biff::kName, m_kind.name);
  m_versionRecord = AppendRecord(biff::kVersion, 8);
  m_versionRecord.SetWord(0, m_kind.versionMajor);
  m_versionRecord.SetWord(2, m_kind.versionMinor);
  m_versionRecord.SetWord(4, m_kind.versionWord3);
  m_versionRecord.SetWord(6, m_kind.versionWord4);
  m_dataOffsetRecord = AppendRecord(biff::kDataOffset, 8);
  m_record264 = AppendRecord(biff::kKindWord264, 4);
  AppendCreationTime();
  if (m_kind.flags & BiffFileKind::kCreateRecord260) m_record260 = AppendRecord(biff::kKindWord260, 4);

  const auto dataOffset = static_cast<std::uint32_t>(RoundUp(m_used + 8, m_alignment));
  m_dataOffsetRecord.SetDword(0, dataOffset);
  Seek(dataOffset);
}

void CVexoBiffFile::AppendCreationTime() {
  const auto [date, time] = DosDateTime(CreationTime());
  BiffRecord record = AppendRecord(biff::kCreationTime, 4);
  record.SetWord(0, date);
  record.SetWord(2, time);
}

std::time_t CVexoBiffFile::CreationTime() const {
  if (m_creationTime) return *m_creationTime;
  if (auto epoch = SourceDateEpoch()) return *epoch;
  return std::time(nullptr);
}

BiffRecord CVexoBiffFile::AppendRecord(std::uint16_t type, std::size_t size) {
  const std::size_t length = RoundUp(size + 4, 4);
  if (!m_buffer || length > m_capacity - m_used) CMemoryException::Throw();
  BiffRecord record(m_buffer.get() + m_used);
  vxs::PutU16(m_buffer.get() + m_used, type);
  vxs::PutU16(m_buffer.get() + m_used + 2, static_cast<std::uint16_t>(length));
  std::memset(record.Payload(), 0, length - 4);
  m_used += length;
  return record;
}

BiffRecord CVexoBiffFile::AppendStringRecord(std::uint16_t type, std::string_view text) {
  BiffRecord record = AppendRecord(type, BiffRecord::StringPayloadSize(text));
  record.SetText(text);
  return record;
}

BiffRecord CVexoBiffFile::AddRecord(std::uint16_t type, std::size_t size) {
  BiffRecord record = AppendRecord(type, size);
  KeepContentBehindList();
  return record;
}

BiffRecord CVexoBiffFile::AddStringRecord(std::uint16_t type, std::string_view text) {
  BiffRecord record = AppendStringRecord(type, text);
  KeepContentBehindList();
  return record;
}

// The list and its end record must end at or before the content's start. While
// the file still stands at that start, nothing was written there and it may move.
void CVexoBiffFile::KeepContentBehindList() {
  const auto needed = static_cast<std::uint32_t>(RoundUp(m_used + 8, m_alignment));
  const std::uint32_t start = GetDataOffset();
  if (needed <= start) return;
  if (GetPosition() != start) ThrowFileError(*this, 1010, ERROR_INVALID_PARAMETER);
  m_dataOffsetRecord.SetDword(0, needed);
  Seek(needed);
}

void CVexoBiffFile::Finish() {
  BiffRecord end = AppendRecord(biff::kEnd, 4);
  const std::size_t endAt = m_used - 8;
  std::uint8_t* buffer = m_buffer.get();
  end.SetWord(0, Crc16(buffer + kHeaderLength, endAt + 4 - kHeaderLength));
  vxs::PutU32(buffer + kListOffsetAt, kHeaderLength);
  vxs::PutU32(buffer + kListLengthAt, static_cast<std::uint32_t>(m_used - kHeaderLength));
  vxs::PutU16(buffer + kHeaderCrcAt, Crc16(buffer, kHeaderCrcAt));
  Seek(0);
  Write(buffer, RoundUp(m_used, m_alignment));
}
