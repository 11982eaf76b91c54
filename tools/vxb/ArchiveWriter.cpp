#include "tools/vxb/ArchiveWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "archive/TopicName.h"
#include "archive/VexoBiffFile.h"
#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "base/LittleEndian.h"
#include "platform/CodePage.h"
#include "platform/SystemError.h"
#include "tools/lzpack/LzPacker.h"
#include "tools/vxb/ReplacementFile.h"

namespace stow {

namespace {

constexpr std::uint32_t kGenericFatal = 1000;  // the text travels in argument 1
constexpr std::uint32_t kBadFileOrFolder = 1016;   // "bad file/folder: %1"
constexpr std::uint32_t kStringTooLong = 2007;     // "string too long"
constexpr std::uint32_t kBadSpecification = 2023;  // "bad specification: %1"
constexpr std::size_t kChunkSize = 0x8000;     // plain bytes in a chunk
constexpr std::uint16_t kPackedFlag = 0x8000;
constexpr std::size_t kLongestName = 0xFFFF;   // characters: the length is a u16
constexpr std::uint64_t kLargestOffset = 0xFFFFFFFF;
// The texts of the string records share the container's 4096-byte record block
// with the other records.
constexpr std::size_t kLongestRecordText = 1000;
constexpr std::uint16_t kSlotListEntrySize = 6;  // u16 length, u32 slot

[[noreturn]] void Fail(std::string text, std::string arg = {}) {
  throw new CKelException(kGenericFatal, std::move(text), std::move(arg));
}

// A property or topic path that an archive cannot hold: CODE with ARG, at WHERE.
[[noreturn]] void Refuse(std::uint32_t code, std::string where, std::string arg = {}) {
  throw new CKelException(code, std::move(arg), {}, {}, std::move(where));
}

bool IsPrime(std::uint32_t n) {
  if (n < 2) return false;
  for (std::uint32_t d = 2; d <= n / d; ++d)
    if (n % d == 0) return false;
  return true;
}

// Three slots for every two topics, rounded up to a prime so that the hash, a sum
// of multiples of 96, spreads over all slots.
std::uint32_t SlotCountFor(std::size_t topics) {
  if (topics == 0) return 1;
  auto count = static_cast<std::uint32_t>(std::max<std::size_t>(1, topics + (topics + 1) / 2));
  while (!IsPrime(count)) ++count;
  return count;
}

// Texts of string records are stored in windows-1252.
void CheckRecordText(const char* what, const std::string& text) {
  bool exact = false;
  Utf8ToCp1252(text, &exact);
  if (!exact) Refuse(kBadSpecification, what, text);
  if (text.size() > kLongestRecordText) Refuse(kStringTooLong, what);
}

void PutGuid(std::uint8_t* at, const GUID& guid) {
  vxs::PutU32(at, guid.Data1);
  vxs::PutU16(at + 4, guid.Data2);
  vxs::PutU16(at + 6, guid.Data3);
  std::copy(std::begin(guid.Data4), std::end(guid.Data4), at + 8);
}

}  // namespace

// The bytes of one topic, from its file or from memory.
class ArchiveWriter::TopicSource {
 public:
  explicit TopicSource(const Topic& topic) : m_bytes(topic.bytes), m_file(topic.source) {
    if (!topic.source.empty()) m_file.OpenExisting({}, GENERIC_READ, OPEN_EXISTING);
  }
  // Fills BUFFER with up to SIZE further bytes; fewer only at the end.
  std::size_t Next(std::uint8_t* buffer, std::size_t size) {
    if (!m_file.IsOpen()) {
      const std::size_t count = std::min(size, m_bytes.size() - m_at);
      std::copy_n(m_bytes.data() + m_at, count, buffer);
      m_at += count;
      return count;
    }
    std::size_t filled = 0;
    while (filled < size) {
      std::size_t got = 0;
      m_file.Read(buffer + filled, size - filled, got);
      if (got == 0) break;
      filled += got;
    }
    return filled;
  }

 private:
  const std::string& m_bytes;
  std::size_t m_at = 0;
  CKelFile m_file;
};

// The archive file being written, with the running position of its content.
class ArchiveWriter::Output {
 public:
  Output(const std::string& path, std::optional<std::time_t> creationTime) : m_file(VxbFile::kKind) {
    if (creationTime) m_file.SetCreationTime(*creationTime);
    m_file.Create(path);
  }
  CVexoBiffFile& File() { return m_file; }
  std::uint8_t* ChunkBuffer() { return m_plain; }

  std::uint32_t Position() {
    const std::uint64_t at = m_file.GetPosition();
    if (at > kLargestOffset) Fail("archive larger than 4 GiB, the most its offsets can reach");
    return static_cast<std::uint32_t>(at);
  }
  void Write(const void* bytes, std::size_t count) { m_file.Write(bytes, count); }
  void WriteU16(std::uint16_t value) {
    std::uint8_t bytes[2];
    vxs::PutU16(bytes, value);
    Write(bytes, sizeof bytes);
  }
  // Writes one chunk of at most kChunkSize plain bytes, packed when that makes it
  // smaller; returns its stored size.
  std::uint32_t WriteChunk(const std::uint8_t* plain, std::size_t size) {
    if (m_packer.Pack({plain, size})) {
      const std::span<const std::uint8_t> block = m_packer.Block();
      WriteU16(static_cast<std::uint16_t>(kPackedFlag + block.size()));
      Write(block.data(), block.size());
      return static_cast<std::uint32_t>(2 + block.size());
    }
    WriteU16(static_cast<std::uint16_t>(size));
    Write(plain, size);
    return static_cast<std::uint32_t>(2 + size);
  }

 private:
  CVexoBiffFile m_file;
  std::uint8_t m_plain[kChunkSize];
  LzPacker m_packer;
};

// Places every topic in the slot of its hash, or, when that is taken, in a slot
// that is no topic's home, linked to the end of its home's chain; chains of
// different homes thus never merge.
class TopicTable {
 public:
  explicit TopicTable(std::size_t topics)
      : m_count(SlotCountFor(topics)), m_occupant(m_count, kFree), m_next(m_count, -1),
        m_tail(m_count, kFree) {}

  std::uint32_t Count() const { return m_count; }
  std::int32_t Next(std::uint32_t slot) const { return m_next[slot]; }

  // Places the topics of PATHS (in their order) and returns their slots.
  std::vector<std::uint32_t> Place(const std::vector<std::string>& paths) {
    std::vector<std::uint32_t> slots(paths.size());
    std::vector<std::size_t> collided;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const std::uint32_t home = HomeSlot(paths[i], m_count);
      slots[i] = home;
      if (m_occupant[home] == kFree) {
        m_occupant[home] = i;
        m_tail[home] = home;
      } else {
        collided.push_back(i);
      }
    }
    std::uint32_t free = m_count;
    for (std::size_t i : collided) {
      while (m_occupant[--free] != kFree) {
      }
      const std::uint32_t home = slots[i];
      m_occupant[free] = i;
      m_next[m_tail[home]] = static_cast<std::int32_t>(free);
      m_tail[home] = free;
      slots[i] = free;
    }
    return slots;
  }

 private:
  static constexpr std::size_t kFree = static_cast<std::size_t>(-1);
  std::uint32_t m_count;
  std::vector<std::size_t> m_occupant;
  std::vector<std::int32_t> m_next;
  std::vector<std::size_t> m_tail;
};

ArchiveWriter::ArchiveWriter(ArchiveProperties properties) : m_properties(std::move(properties)) {}

void ArchiveWriter::AddFile(std::string path, std::string source, std::uint64_t size) {
  Topic topic;
  topic.path = std::move(path);
  topic.source = std::move(source);
  topic.size = size;
  Add(std::move(topic));
}

void ArchiveWriter::AddBytes(std::string path, std::string bytes, std::string skippedBlock) {
  Topic topic;
  topic.path = std::move(path);
  topic.size = bytes.size();
  topic.bytes = std::move(bytes);
  topic.skippedBlock = std::move(skippedBlock);
  Add(std::move(topic));
}

void ArchiveWriter::Add(Topic topic) {
  topic.name = Utf8ToUtf16(topic.path);
  if (topic.path.empty() || Utf16ToUtf8(topic.name) != topic.path)
    Refuse(kBadFileOrFolder, "topic path not in UTF-8", topic.path);
  if (topic.name.size() > kLongestName) Refuse(kStringTooLong, "topic path longer than 65535 characters");
  if (topic.skippedBlock.size() % kSkippedBlockEntrySize != 0 ||
      topic.skippedBlock.size() / kSkippedBlockEntrySize > 0xFFFF)
    Fail("skipped block of topic %1 is no whole number of 20-byte entries", topic.path);
  m_topics.push_back(std::move(topic));
}

void ArchiveWriter::CheckProperties() const {
  if (m_properties.name.empty()) Refuse(kBadSpecification, "archive name");
  CheckRecordText("archive name", m_properties.name);
  CheckRecordText("title", m_properties.title);
  CheckRecordText("copyright notice", m_properties.copyright);
}

void ArchiveWriter::CheckTopics() {
  std::sort(m_topics.begin(), m_topics.end(),
            [](const Topic& a, const Topic& b) { return a.path < b.path; });
  for (std::size_t i = 1; i < m_topics.size(); ++i)
    if (m_topics[i].path == m_topics[i - 1].path) Fail("topic %1 given twice", m_topics[i].path);
  if (m_topics.size() > 0x7FFFFFFF) Fail("more topics than a topic table can hold");
  std::vector<Topic*> all;
  for (Topic& topic : m_topics) all.push_back(&topic);
  StartSlot(all);  // a start topic that is not there fails before anything is written
}

void ArchiveWriter::CheckSizes() const {
  // Every chunk takes at least its head and one byte, whatever packing achieves.
  std::uint64_t least = 0;
  for (const Topic& topic : m_topics) {
    if (topic.size > kLargestOffset)
      Fail("topic %1 is 4 GiB or larger, more than a topic can hold", topic.path);
    const std::uint64_t chunks = (topic.size + kChunkSize - 1) / kChunkSize;
    least += 2 + 2 * topic.name.size() + topic.skippedBlock.size() + 3 * chunks;
  }
  if (least > kLargestOffset)
    Fail("the topics cannot fit into 4 GiB, the most an archive can hold");
}

void ArchiveWriter::Write(const std::string& output) {
  ReplacementFile file(output, false);
  Write(file);
}

void ArchiveWriter::Write(ReplacementFile& output) {
  CheckProperties();
  CheckTopics();
  CheckSizes();
  auto out = std::make_unique<Output>(output.Temporary(), m_properties.creationTime);
  WriteTo(*out);
  // On disk before it replaces the old archive: a crash after the rename must
  // not leave a name that points to a half-written file.
  out->File().Flush();
  out->File().Close();
  output.Commit();
}

void ArchiveWriter::WriteTo(Output& out) {
  CVexoBiffFile& file = out.File();
  PutGuid(file.AddRecord(biff::kFileType, 16).Payload(), kArchiveGuids[0]);
  file.AddStringRecord(kRecordArchiveName, m_properties.name);
  if (!m_properties.title.empty()) file.AddStringRecord(kRecordTitle, m_properties.title);
  if (!m_properties.copyright.empty()) file.AddStringRecord(kRecordCopyright, m_properties.copyright);
  BiffRecord header = file.AddRecord(kRecordArchiveHeader, 28);
  BiffRecord tableRecord = file.AddRecord(kRecordTopicTable, 20);

  std::uint64_t total = 0;
  for (const Topic& topic : m_topics) total += topic.size;
  std::uint64_t done = 0;
  std::vector<Topic*> written;
  for (Topic& topic : m_topics)
    if (WriteTopic(out, topic, done, total)) written.push_back(&topic);

  // Topics are placed once it is known which of them are in the archive.
  std::vector<std::string> paths;
  for (const Topic* topic : written) paths.push_back(topic->path);
  TopicTable table(written.size());
  const std::vector<std::uint32_t> slots = table.Place(paths);
  for (std::size_t i = 0; i < written.size(); ++i) written[i]->slot = slots[i];

  const std::uint32_t tableOffset = out.Position();
  WriteTable(out, table, written);
  const std::uint32_t listOffset = out.Position();
  for (const Topic* topic : written) {
    std::uint8_t entry[kSlotListEntrySize];
    vxs::PutU16(entry, kSlotListEntrySize);
    vxs::PutU32(entry + 2, topic->slot);
    out.Write(entry, sizeof entry);
  }
  const std::uint32_t listEnd = out.Position();

  header.SetDword(0, m_properties.firmCode);
  header.SetDword(12, StartSlot(written));
  tableRecord.SetDword(0, tableOffset);
  tableRecord.SetDword(4, table.Count());
  tableRecord.SetDword(8, listOffset);
  tableRecord.SetDword(12, listEnd - listOffset);
  tableRecord.SetDword(16, kTopicSlotSize | (kTopicTableFormat << 8));
  file.Finish();
}

bool ArchiveWriter::WriteTopic(Output& out, Topic& topic, std::uint64_t& done,
                               std::uint64_t total) {
  std::unique_ptr<TopicSource> source;
  try {
    source = std::make_unique<TopicSource>(topic);
  } catch (CKelFileException* e) {
    // A source swapped for a pipe or device since it was listed is left out.
    std::unique_ptr<CKelFileException> failure(e);
    if (!m_warning || failure->m_systemError != ERROR_BAD_FILE_TYPE) throw failure.release();
    m_warning("%1 left out: not a regular file", topic.source);
    return false;
  }
  topic.nameOffset = out.Position();
  out.WriteU16(static_cast<std::uint16_t>(topic.name.size()));
  for (char16_t unit : topic.name) out.WriteU16(unit);
  if (!topic.skippedBlock.empty()) {
    out.WriteU16(static_cast<std::uint16_t>(topic.skippedBlock.size() / kSkippedBlockEntrySize));
    out.Write(topic.skippedBlock.data(), topic.skippedBlock.size());
  }
  std::uint64_t expanded = 0;
  std::uint64_t stored = 0;
  std::uint8_t* chunk = out.ChunkBuffer();
  for (std::size_t got; (got = source->Next(chunk, kChunkSize)) > 0;) {
    expanded += got;
    if (expanded > kLargestOffset) Fail("topic %1 is 4 GiB or larger, more than a topic can hold", topic.path);
    stored += out.WriteChunk(chunk, got);
    done += got;
    if (m_progress) m_progress(std::min(done, total), total);
  }
  out.Position();  // the topic must end within reach of the offsets
  topic.expandedLength = static_cast<std::uint32_t>(expanded);
  topic.storedLength = static_cast<std::uint32_t>(stored);
  return true;
}

void ArchiveWriter::WriteTable(Output& out, const TopicTable& table,
                               const std::vector<Topic*>& topics) {
  std::vector<std::uint8_t> slots(std::size_t{table.Count()} * kTopicSlotSize, 0);
  for (std::size_t i = 0; i < topics.size(); ++i) {
    const Topic& topic = *topics[i];
    std::uint8_t* at = slots.data() + std::size_t{topic.slot} * kTopicSlotSize;
    vxs::PutU32(at, topic.nameOffset);
    vxs::PutU32(at + 4, topic.expandedLength);
    vxs::PutU32(at + 8, topic.storedLength);
    vxs::PutU32(at + 16, static_cast<std::uint32_t>(table.Next(topic.slot)));
    // The index of the topic's slot-list entry; 0xFFFF would announce a skipped block.
    const std::uint16_t index = topic.skippedBlock.empty()
                                    ? static_cast<std::uint16_t>(std::min<std::size_t>(i, 0xFFFE))
                                    : kSkippedBlockMark;
    vxs::PutU16(at + 20, index);
  }
  out.Write(slots.data(), slots.size());
}

std::uint32_t ArchiveWriter::StartSlot(const std::vector<Topic*>& topics) const {
  if (m_properties.startTopic.empty()) return 0xFFFFFFFF;
  for (const Topic* topic : topics)
    if (topic->path == m_properties.startTopic) return topic->slot;
  Refuse(kBadSpecification, "start topic not in the archive", m_properties.startTopic);
}

}  // namespace stow
