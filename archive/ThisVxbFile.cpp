#include <algorithm>
#include <cstring>

#include "archive/TopicName.h"
#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "base/LittleEndian.h"
#include "base/PathText.h"

using stow::TopicSlot;

namespace {

constexpr std::uint32_t kCorruptFile = 1031;  // "file is corrupt%1"
constexpr std::uint32_t kReadError = 1009;    // "cannot read from file %1"
constexpr std::size_t kLongestName = 0xFFFF;  // characters: the name length is a u16
constexpr std::uint32_t kNameLengthSize = 2;

// A 16-bit hash of a name (FNV-1a, folded), never 0, the same for names that
// are equal without regard to case. ASCII characters are taken with bit 5 set,
// which lowers the letters (and merges a few signs with others, which only
// costs a comparison); no character outside ASCII lowers into ASCII.
class NameHash {
 public:
  void Add(char16_t c) {
    m_hash = (m_hash ^ (c < 0x80 ? c | 0x20 : stow::LowerTopicChar(c))) * 16777619u;
  }
  std::uint16_t Value() const {
    const auto folded = static_cast<std::uint16_t>(m_hash ^ (m_hash >> 16));
    return folded != 0 ? folded : 1;
  }

 private:
  std::uint32_t m_hash = 2166136261u;
};

std::uint16_t HashOf(std::u16string_view name) {
  NameHash hash;
  for (char16_t c : name) hash.Add(c);
  return hash.Value();
}

// What is known of a slot's name once its record has been read: the length in
// the low half, and the hash of the name in the high half when the whole name
// was read (else 0). 0 as a whole: nothing is known.
std::uint32_t NameKey(std::uint16_t length, std::uint16_t hash) {
  return std::uint32_t{hash} << 16 | length;
}

// Whether a name whose key is KNOWN can be NAME, of hash HASH.
bool MayBe(std::uint32_t known, const std::u16string& name, std::uint16_t hash) {
  if (known == 0) return true;
  const auto knownHash = static_cast<std::uint16_t>(known >> 16);
  return (known & 0xFFFF) == name.size() && (knownHash == 0 || knownHash == hash);
}

// Copies the name.size() UTF-16LE characters at UNITS to OUT and tells whether
// they equal NAME without regard to case; HASH, where given, receives their
// hash. Reads mapped memory: owns nothing, throws nothing.
bool CopyAndCompare(const std::uint8_t* units, const std::u16string& name, char16_t* out,
                    std::uint16_t* hash) {
  bool equal = true;
  NameHash names;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto unit = static_cast<char16_t>(vxs::GetU16(units + 2 * i));
    out[i] = unit;
    if (hash != nullptr) names.Add(unit);
    equal = equal && (unit == name[i] || stow::LowerTopicChar(unit) == stow::LowerTopicChar(name[i]));
  }
  if (hash != nullptr) *hash = names.Value();
  return equal;
}

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
  m_mapping.Unmap();
  m_table = nullptr;
  m_slots.reset();
  m_nameKeys = {};
  m_chains.Reset(0);
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
  MapArchive();
  ReadTopicTable();
  ReadSlotList();
  m_basePath.clear();
  m_startTopic = static_cast<std::int32_t>(m_header[3]);
  return m_startTopic;
}

// Name records lie all over the file, each in front of its topic's data, so
// reading them all would cost a read per topic, or the whole file. The file is
// mapped instead: the topic table and the names are read in memory, with no
// system call and no copy; their pages come into the system's file cache as they
// are first used, shared by every process that serves the archive. A file that
// cannot be mapped is read: the table whole, the names one by one.
void ThisVxbFile::MapArchive() { m_mapping.Map(m_handle, m_fileLength); }

const std::uint8_t* ThisVxbFile::Block(std::uint64_t offset, std::uint64_t size,
                                      std::unique_ptr<std::uint8_t[]>& copy) {
  if (m_mapping.IsMapped() && offset + size <= m_mapping.Size()) return m_mapping.Data() + offset;
  copy.reset(new std::uint8_t[size]);
  Seek(static_cast<std::int64_t>(offset));
  Read(copy.get(), size);
  return copy.get();
}

void ThisVxbFile::ReadTopicTable() {
  const std::uint32_t offset = m_tableRecord[0];
  const std::uint32_t count = m_tableRecord[1];
  const std::uint64_t size = std::uint64_t{count} * stow::kTopicSlotSize;
  if (offset + size > m_fileLength) ThrowDamage(" (topic table beyond the end of the file)");
  m_table = Block(offset, size, m_slots);
  m_nameKeys = os::LargeTable<std::uint32_t>(count);
  m_chains.Reset(count);
  m_slotCount = count;
}

void ThisVxbFile::ReadSlotList() {
  const std::uint32_t offset = m_tableRecord[2];
  const std::uint32_t length = m_tableRecord[3];
  if (std::uint64_t{offset} + length > m_fileLength) ThrowDamage(" (slot list beyond the end of the file)");
  const std::uint8_t* const list = Block(offset, length, m_slotList);
  // Entries are counted by their length words; a length that cannot be right ends
  // the count, as nothing else depends on the list.
  std::uint32_t entries = 0;
  if (!os::ReadMapped([&] {
        for (std::uint32_t at = 0; length - at >= 2;) {
          const std::uint16_t entryLength = vxs::GetU16(list + at);
          if (entryLength < 2 || entryLength > length - at) break;
          at += entryLength;
          ++entries;
        }
      }))
    ThrowUnreadable();
  m_slotListEntries = entries;
}

std::span<const std::uint8_t> ThisVxbFile::NameRecordBytes(std::uint32_t offset, std::size_t count) {
  const auto available = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_fileLength - offset));
  if (m_mapping.IsMapped() && offset + std::uint64_t{available} <= m_mapping.Size())
    return {m_mapping.Data() + offset, available};
  Seek(offset);
  std::size_t got = 0;
  Read(m_nameBuffer.get(), available, got);
  return {m_nameBuffer.get(), got};
}

TopicSlot ThisVxbFile::GetSlot(std::uint32_t number) const {
  std::uint8_t at[stow::kTopicSlotSize];
  const std::uint8_t* const slot = m_table + std::size_t{number} * stow::kTopicSlotSize;
  if (!os::ReadMapped([&] { std::memcpy(at, slot, sizeof at); })) ThrowUnreadable();
  return {vxs::GetU32(at), vxs::GetU32(at + 4), vxs::GetU32(at + 8),
          static_cast<std::int32_t>(vxs::GetU32(at + 16)), vxs::GetU16(at + 20)};
}

bool ThisVxbFile::OpenTopic(std::int32_t number, std::string& path) {
  m_foundInLastFolder = false;
  if (number >= 0) {
    const auto slot = static_cast<std::uint32_t>(number);
    if (slot >= m_slotCount || GetSlot(slot).nameOffset == 0) return false;
    ReadName(slot);
    stow::Utf16ToUtf8(m_name, path);
    EnterTopic(slot, path);
    return true;
  }
  if (path.empty() || m_slotCount == 0) return false;
  // PATH is the request until a topic is found; only then is it written.
  stow::CandidatePaths candidates(m_basePath, path);
  while (candidates.Next(m_candidate)) {
    std::uint32_t slot = 0;
    if (FindOnChain(m_candidate, slot)) {
      m_foundInLastFolder = !candidates.AsWritten();
      stow::Utf16ToUtf8(m_name, path);
      EnterTopic(slot, path);
      return true;
    }
  }
  return false;
}

bool ThisVxbFile::FindOnChain(const std::string& candidate, std::uint32_t& slot) {
  stow::Utf8ToUtf16(candidate, m_wanted);
  const std::u16string& wanted = m_wanted;
  if (wanted.size() > kLongestName) return false;
  const std::uint32_t home = stow::HomeSlot(candidate, m_slotCount);
  const std::uint32_t key = TopicChainIndex::KeyOf(wanted, home);
  m_chains.Prefetch(key, home);
  LearnChain(home);
  if (m_chains.StateOf(home) == TopicChainIndex::Chain::kLearnt) {
    TopicChainIndex::Place found{};
    if (!m_chains.Find(key, found)) return false;
    PrefetchTopic(found);
    std::uint16_t length = 0;
    if (CompareName(found.slot, wanted, length, nullptr)) {
      slot = found.slot;
      return true;
    }
    // Another name under the same key: the walk tells.
  }
  return WalkChain(home, wanted, HashOf(wanted), slot);
}

void ThisVxbFile::LearnChain(std::uint32_t home) {
  if (m_chains.StateOf(home) != TopicChainIndex::Chain::kUnknown) return;
  m_chains.SetState(home, TopicChainIndex::Chain::kWalked);
  try {
    std::uint32_t slot = home;
    for (std::uint32_t step = 0;; ++step) {
      if (step == m_slotCount) return;  // a circle
      const TopicSlot entry = GetSlot(slot);
      if (entry.nameOffset == 0) break;
      ReadName(slot);
      if (!m_chains.Add(TopicChainIndex::KeyOf(m_name, home), {slot, entry.nameOffset})) return;
      if (entry.next < 0 || static_cast<std::uint32_t>(entry.next) >= m_slotCount) break;
      slot = static_cast<std::uint32_t>(entry.next);
    }
  } catch (CKelException* e) {
    e->Delete();  // a damaged slot: the walk meets it as a lookup always did
    return;
  }
  m_chains.SetState(home, TopicChainIndex::Chain::kLearnt);
}

void ThisVxbFile::PrefetchTopic(TopicChainIndex::Place place) const {
  __builtin_prefetch(m_table + std::size_t{place.slot} * stow::kTopicSlotSize);
  if (m_mapping.IsMapped() && place.nameOffset < m_mapping.Size())
    __builtin_prefetch(m_mapping.Data() + place.nameOffset);
}

bool ThisVxbFile::WalkChain(std::uint32_t home, const std::u16string& name, std::uint16_t hash,
                            std::uint32_t& slot) {
  slot = home;
  // A chain of a damaged table may run in a circle: it is followed for at most
  // as many steps as there are slots.
  for (std::uint32_t step = 0; step < m_slotCount; ++step) {
    const TopicSlot entry = GetSlot(slot);
    if (entry.nameOffset == 0) return false;
    if (NameMatches(slot, name, hash)) return true;
    if (entry.next < 0 || static_cast<std::uint32_t>(entry.next) >= m_slotCount) return false;
    slot = static_cast<std::uint32_t>(entry.next);
  }
  return false;
}

bool ThisVxbFile::NameMatches(std::uint32_t slot, const std::u16string& name, std::uint16_t hash) {
  if (!MayBe(m_nameKeys[slot], name, hash)) return false;
  std::uint16_t length = 0;
  std::uint16_t recordHash = 0;
  const bool equal = CompareName(slot, name, length, &recordHash);
  m_nameKeys[slot] = NameKey(length, length == name.size() ? recordHash : 0);
  return equal;
}

bool ThisVxbFile::CompareName(std::uint32_t slot, const std::u16string& name, std::uint16_t& length,
                              std::uint16_t* hash) {
  const std::uint32_t offset = GetSlot(slot).nameOffset;
  if (offset + std::uint64_t{kNameLengthSize} > m_fileLength) ThrowDamage(" (bad topic offset)");
  // The length and a name of the wanted length come at once; a name of another
  // length cannot match and needs no more.
  const std::size_t wanted = kNameLengthSize + 2 * name.size();
  const std::span<const std::uint8_t> record = NameRecordBytes(offset, wanted);
  if (record.size() < kNameLengthSize) ThrowDamage(" (bad topic offset)");
  m_name.resize(name.size());
  bool equal = false;
  if (!os::ReadMapped([&] {
        length = vxs::GetU16(record.data());
        if (length == name.size() && record.size() == wanted)
          equal = CopyAndCompare(record.data() + kNameLengthSize, name, m_name.data(), hash);
      }))
    ThrowUnreadable();
  if (length != name.size()) return false;
  if (record.size() < wanted) ThrowDamage(" (topic name beyond the end of the file)");
  if (equal) m_nameEnd = offset + std::uint64_t{wanted};
  return equal;
}

void ThisVxbFile::ReadName(std::uint32_t slot) {
  const std::uint32_t offset = GetSlot(slot).nameOffset;
  if (offset + std::uint64_t{kNameLengthSize} > m_fileLength) ThrowDamage(" (bad topic offset)");
  const std::span<const std::uint8_t> head = NameRecordBytes(offset, kNameLengthSize);
  std::uint16_t length = 0;
  if (head.size() < kNameLengthSize || !os::ReadMapped([&] { length = vxs::GetU16(head.data()); }))
    ThrowUnreadable();
  const std::size_t size = kNameLengthSize + 2 * std::size_t{length};
  if (offset + std::uint64_t{size} > m_fileLength) ThrowDamage(" (topic name beyond the end of the file)");
  const std::span<const std::uint8_t> record = NameRecordBytes(offset, size);
  m_name.resize(length);
  if (record.size() < size || !os::ReadMapped([&] {
        for (std::size_t i = 0; i < length; ++i)
          m_name[i] = static_cast<char16_t>(vxs::GetU16(record.data() + kNameLengthSize + 2 * i));
      }))
    ThrowUnreadable();
  m_nameKeys[slot] = NameKey(length, HashOf(m_name));
  m_nameEnd = offset + std::uint64_t{size};
}

void ThisVxbFile::EnterTopic(std::uint32_t slot, const std::string& path) {
  const TopicSlot entry = GetSlot(slot);
  const std::size_t dot = vxs::PathPartStart(path, vxs::kPartExtension);
  m_topicExtension.assign(path, std::min(dot + 1, path.size()));
  MoveBasePath(path);
  std::uint64_t dataAt = m_nameEnd;
  if (entry.slotListIndex == stow::kSkippedBlockMark) {
    if (dataAt + kNameLengthSize > m_fileLength) ThrowDamage(" (bad topic length)");
    std::uint8_t entries[kNameLengthSize];
    ReadAt(dataAt, entries, kNameLengthSize);
    dataAt += kNameLengthSize + std::uint64_t{vxs::GetU16(entries)} * stow::kSkippedBlockEntrySize;
  }
  if (dataAt + entry.storedLength > m_fileLength) ThrowDamage(" (bad topic length)");
  // Mapped, the topic's stored bytes are expanded where they lie, with no read.
  m_dataMapped = m_mapping.IsMapped() && dataAt + entry.storedLength <= m_mapping.Size();
  m_fileBuffer->Prime(*this, dataAt, entry.storedLength, m_dataMapped ? m_mapping.Data() : nullptr);
  m_unpackBuffer->Prime(*m_fileBuffer, entry.expandedLength);
  m_source = m_unpackBuffer.get();
  m_currentSlot = static_cast<std::int32_t>(slot);
}

void ThisVxbFile::MoveBasePath(const std::string& path) {
  if (path.find('.') == std::string::npos) {
    m_basePath.clear();
  } else if (EndsWithNoCase(path, ".html") || EndsWithNoCase(path, ".htm")) {
    const std::size_t slash = path.rfind('/');
    m_basePath.assign(path, 0, slash == std::string::npos ? 0 : slash);
  }
}

bool ThisVxbFile::ReadTopicData(void* memory, std::uint32_t size, std::uint32_t& count) {
  count = 0;
  if (m_source == nullptr) return true;
  stow::EndBuffer end(static_cast<std::uint8_t*>(memory), size, *m_source);
  if (m_source != m_unpackBuffer.get() || !m_dataMapped) {
    end.Read(size, count);
  } else if (!os::ReadMapped([&] { end.Read(size, count); })) {
    m_source = nullptr;  // the topic's data is gone from the file: nothing more comes
    ThrowUnreadable();
  }
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

void ThisVxbFile::ThrowUnreadable() const { ThrowFileError(*this, kReadError, ERROR_INVALID_DATA); }
