#include <algorithm>

#include "archive/TopicName.h"
#include "archive/VxbFile.h"
#include "base/LittleEndian.h"
#include "base/PathText.h"

using stow::TopicSlot;

namespace {

constexpr std::uint32_t kCorruptFile = 1031;  // "file is corrupt%1"
constexpr std::size_t kLongestName = 0xFFFF;  // characters: the name length is a u16
constexpr std::uint32_t kNameLengthSize = 2;

bool EndsWithNoCase(const std::string& text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), text.end() - tail.size(), [](char a, char b) {
    return a == (b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
  });
}

}  // namespace

ThisVxbFile::ThisVxbFile()
    : m_nameBuffer(new std::uint8_t[kNameLengthSize + 2 * kLongestName]),
      m_expander(8, 12),
      m_messageBuffer(std::make_unique<stow::MessageBuffer>(kMessageBufferSize)),
      m_unpackBuffer(std::make_unique<stow::UnpackBuffer>(kUnpackBufferSize, m_expander)),
      m_fileBuffer(std::make_unique<stow::FileBuffer>(kFileBufferSize)) {}

ThisVxbFile::~ThisVxbFile() = default;

void ThisVxbFile::Close() {
  m_slots.reset();
  m_slotList.reset();
  m_slotCount = 0;
  m_slotListEntries = 0;
  m_currentSlot = kNoTopic;
  if (m_source == m_unpackBuffer.get()) m_source = nullptr;
  VxbFile::Close();
}

void ThisVxbFile::HandleRecord(BiffRecord record) {
  VxbFile::HandleRecord(record);
  if (record.Type() == stow::kRecordArchiveHeader) {
    for (std::size_t i = 0; i < m_header.size(); ++i) m_header[i] = record.Dword(4 * i);
    m_hasHeader = true;
  } else if (record.Type() == stow::kRecordTopicTable) {
    for (std::size_t i = 0; i < m_tableRecord.size(); ++i) m_tableRecord[i] = record.Dword(4 * i);
    m_hasTableRecord = true;
  }
}

void ThisVxbFile::OpenArchive() {
  if (IsOpen()) Close();
  m_hasHeader = false;
  m_hasTableRecord = false;
  Open({}, GENERIC_READ, OPEN_EXISTING, 0);
  const std::uint32_t format = m_tableRecord[4];
  if (!m_hasHeader || !m_hasTableRecord || (format & 0xFF) != stow::kTopicSlotSize ||
      ((format >> 8) & 0xFF) != stow::kTopicTableFormat)
    ThrowDamage(" (wrong file header)");
  m_fileLength = GetLength();
}

std::int32_t ThisVxbFile::LoadTopicTable() {
  OpenArchive();
  ReadTopicTable();
  ReadSlotList();
  m_basePath.clear();
  m_startTopic = static_cast<std::int32_t>(m_header[3]);
  return m_startTopic;
}

void ThisVxbFile::ReadTopicTable() {
  const std::uint32_t offset = m_tableRecord[0];
  const std::uint32_t count = m_tableRecord[1];
  const std::uint64_t size = std::uint64_t{count} * stow::kTopicSlotSize;
  if (offset + size > m_fileLength) ThrowDamage(" (topic table beyond the end of the file)");
  m_slots.reset(new std::uint8_t[size]);
  Seek(offset);
  Read(m_slots.get(), size);
  m_slotCount = count;
}

void ThisVxbFile::ReadSlotList() {
  const std::uint32_t offset = m_tableRecord[2];
  const std::uint32_t length = m_tableRecord[3];
  if (std::uint64_t{offset} + length > m_fileLength) ThrowDamage(" (slot list beyond the end of the file)");
  m_slotList.reset(new std::uint8_t[length]);
  Seek(offset);
  Read(m_slotList.get(), length);
  // Entries are counted by their length words; a length that cannot be right ends
  // the count, as nothing else depends on the list.
  m_slotListEntries = 0;
  for (std::uint32_t at = 0; length - at >= 2;) {
    const std::uint16_t entryLength = vxs::GetU16(m_slotList.get() + at);
    if (entryLength < 2 || entryLength > length - at) break;
    at += entryLength;
    ++m_slotListEntries;
  }
}

TopicSlot ThisVxbFile::GetSlot(std::uint32_t number) const {
  const std::uint8_t* at = m_slots.get() + std::size_t{number} * stow::kTopicSlotSize;
  return {vxs::GetU32(at), vxs::GetU32(at + 4), vxs::GetU32(at + 8),
          static_cast<std::int32_t>(vxs::GetU32(at + 16)), vxs::GetU16(at + 20)};
}

bool ThisVxbFile::OpenTopic(std::int32_t number, std::string& path) {
  m_foundInLastFolder = false;
  if (number >= 0) {
    const auto slot = static_cast<std::uint32_t>(number);
    if (slot >= m_slotCount || GetSlot(slot).nameOffset == 0) return false;
    ReadName(slot);
    path = stow::Utf16ToUtf8(m_name);
    EnterTopic(slot, path);
    return true;
  }
  if (path.empty() || m_slotCount == 0) return false;
  const std::string request = path;
  stow::CandidatePaths candidates(m_basePath, request);
  std::string candidate;
  while (candidates.Next(candidate)) {
    std::uint32_t slot = 0;
    if (FindOnChain(candidate, slot)) {
      m_foundInLastFolder = !candidates.AsWritten();
      path = stow::Utf16ToUtf8(m_name);
      EnterTopic(slot, path);
      return true;
    }
  }
  return false;
}

bool ThisVxbFile::FindOnChain(const std::string& candidate, std::uint32_t& slot) {
  const std::u16string wanted = stow::Utf8ToUtf16(candidate);
  if (wanted.size() > kLongestName) return false;
  slot = stow::HomeSlot(candidate, m_slotCount);
  // A chain of a damaged table may run in a circle: it is followed for at most
  // as many steps as there are slots.
  for (std::uint32_t step = 0; step < m_slotCount; ++step) {
    const TopicSlot entry = GetSlot(slot);
    if (entry.nameOffset == 0) return false;
    if (NameMatches(slot, wanted)) return true;
    if (entry.next < 0 || static_cast<std::uint32_t>(entry.next) >= m_slotCount) return false;
    slot = static_cast<std::uint32_t>(entry.next);
  }
  return false;
}

bool ThisVxbFile::NameMatches(std::uint32_t slot, const std::u16string& name) {
  const std::uint32_t offset = GetSlot(slot).nameOffset;
  const std::size_t wanted = kNameLengthSize + 2 * name.size();
  if (offset + std::uint64_t{kNameLengthSize} > m_fileLength) ThrowDamage(" (bad topic offset)");
  // The length and a name of the wanted length come with one read; a name of
  // another length cannot match and needs no more.
  Seek(offset);
  std::size_t got = 0;
  Read(m_nameBuffer.get(), std::min<std::uint64_t>(wanted, m_fileLength - offset), got);
  if (got < kNameLengthSize) ThrowDamage(" (bad topic offset)");
  const std::uint16_t length = vxs::GetU16(m_nameBuffer.get());
  if (length != name.size()) return false;
  if (got < wanted) ThrowDamage(" (topic name beyond the end of the file)");
  m_name.resize(length);
  for (std::size_t i = 0; i < length; ++i)
    m_name[i] = static_cast<char16_t>(vxs::GetU16(m_nameBuffer.get() + kNameLengthSize + 2 * i));
  return stow::TopicNamesEqual(m_name, name);
}

void ThisVxbFile::ReadName(std::uint32_t slot) {
  const std::uint32_t offset = GetSlot(slot).nameOffset;
  if (offset + std::uint64_t{kNameLengthSize} > m_fileLength) ThrowDamage(" (bad topic offset)");
  Seek(offset);
  const auto length = static_cast<std::uint16_t>(ReadValue(kNameLengthSize));
  if (offset + kNameLengthSize + 2 * std::uint64_t{length} > m_fileLength)
    ThrowDamage(" (topic name beyond the end of the file)");
  Read(m_nameBuffer.get(), 2 * std::size_t{length});
  m_name.resize(length);
  for (std::size_t i = 0; i < length; ++i)
    m_name[i] = static_cast<char16_t>(vxs::GetU16(m_nameBuffer.get() + 2 * i));
}

void ThisVxbFile::EnterTopic(std::uint32_t slot, const std::string& path) {
  const TopicSlot entry = GetSlot(slot);
  const std::string extension = vxs::PathPart(path, vxs::kPartExtension);
  m_topicExtension = extension.starts_with('.') ? extension.substr(1) : std::string();
  MoveBasePath(path);
  if (entry.slotListIndex == stow::kSkippedBlockMark) {
    if (GetPosition() + kNameLengthSize > m_fileLength) ThrowDamage(" (bad topic length)");
    const std::uint32_t entries = ReadValue(kNameLengthSize);
    Seek(std::int64_t{entries} * stow::kSkippedBlockEntrySize, FILE_CURRENT);
  }
  if (GetPosition() + entry.storedLength > m_fileLength) ThrowDamage(" (bad topic length)");
  m_fileBuffer->Prime(*this, entry.storedLength);
  m_unpackBuffer->Prime(*m_fileBuffer, entry.expandedLength);
  m_source = m_unpackBuffer.get();
  m_currentSlot = static_cast<std::int32_t>(slot);
}

void ThisVxbFile::MoveBasePath(const std::string& path) {
  if (path.find('.') == std::string::npos) {
    m_basePath.clear();
  } else if (EndsWithNoCase(path, ".html") || EndsWithNoCase(path, ".htm")) {
    const std::size_t slash = path.rfind('/');
    m_basePath = slash == std::string::npos ? std::string() : path.substr(0, slash);
  }
}

bool ThisVxbFile::ReadTopicData(void* memory, std::uint32_t size, std::uint32_t& count) {
  count = 0;
  if (m_source == nullptr) return true;
  stow::EndBuffer end(static_cast<std::uint8_t*>(memory), size, *m_source);
  end.Read(size, count);
  if (!m_source->Ended()) return false;
  m_pageText.clear();
  return true;
}

void ThisVxbFile::SetPage(std::string text) {
  m_pageText = std::move(text);
  // A page longer than the message buffer gets a buffer of its size: pages are
  // served whole.
  if (m_pageText.size() > m_messageBuffer->Capacity())
    m_messageBuffer = std::make_unique<stow::MessageBuffer>(static_cast<std::uint32_t>(m_pageText.size()));
  m_messageBuffer->Load(m_pageText);
  m_source = m_messageBuffer.get();
  m_topicExtension = "HTML";
}

void ThisVxbFile::ThrowDamage(const char* detail) const { Fail(kCorruptFile, detail); }
