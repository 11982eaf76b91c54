// The archive document: a VEXO-BIFF container of the archive kind whose content
// is a topic table (a hash table of topic names) and, for every topic, a name
// record followed by its stored data in chunks.
//
// stow::VxbFile reads the archive's own records (name, title, copyright notice,
// firm code, creation time) and checks the file-type GUID; ThisVxbFile adds the
// topic table, the lookup of topics by path or number and the content pipeline
// that streams a topic's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "archive/ConsumerBuffer.h"
#include "archive/LzExpand.h"
#include "archive/TopicChainIndex.h"
#include "archive/VexoBiffFile.h"
#include "platform/LargeTable.h"
#include "platform/MappedFile.h"

namespace stow {

// Record types of the archive kind.
inline constexpr std::uint16_t kRecordArchiveName = 256;
inline constexpr std::uint16_t kRecordTitle = 262;
inline constexpr std::uint16_t kRecordCopyright = 263;
inline constexpr std::uint16_t kRecordCreationTime = 10;
inline constexpr std::uint16_t kRecordArchiveHeader = 16401;  // seven u32: firm code, ..., start topic
inline constexpr std::uint16_t kRecordTopicTable = 16402;     // table and slot list
inline constexpr std::uint16_t kRecordFirmCode = 16403;

inline constexpr std::uint32_t kNoFirmCode = 0xFFFFFFFF;
inline constexpr std::uint32_t kTopicSlotSize = 24;
inline constexpr std::uint8_t kTopicTableFormat = 1;
// The slot-list index that announces a skipped block behind the topic's name.
inline constexpr std::uint16_t kSkippedBlockMark = 0xFFFF;
inline constexpr std::uint32_t kSkippedBlockEntrySize = 20;

// The two file-type GUIDs that mark a container as an archive.
extern const GUID kArchiveGuids[2];

// The creation time as its record holds it, unpacked.
struct ArchiveTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

class VxbFile : public CVexoBiffFile {
 public:
  // The archive kind: a file without file-type GUID is accepted, the kind checks
  // the GUID itself, version 3.00, any older version.
  static const BiffFileKind kKind;

  VxbFile();

  // Opens and parses the archive at PATH (empty: the path held), forgetting the
  // records of any archive read before.
  void Open(const std::string& path, DWORD access = GENERIC_READ, DWORD disposition = OPEN_EXISTING,
            DWORD flags = 0);

  const std::string& GetArchiveName() const { return m_archiveName; }
  const std::string& GetTitle() const { return m_title; }
  const std::string& GetCopyright() const { return m_copyright; }
  std::uint32_t GetFirmCode() const { return m_firmCode; }
  const ArchiveTime& GetCreationTime() const { return m_creationTime; }

 protected:
  void HandleRecord(BiffRecord record) override;

 private:
  std::string m_archiveName;
  std::string m_title;
  std::string m_copyright;
  std::uint32_t m_firmCode = kNoFirmCode;
  ArchiveTime m_creationTime;
};

// One slot of the topic table.
struct TopicSlot {
  std::uint32_t nameOffset;      // file offset of the name record; 0 = empty slot
  std::uint32_t expandedLength;  // bytes of the topic
  std::uint32_t storedLength;    // bytes of its chunks behind the name record
  std::int32_t next;             // next slot of the hash chain; out of range ends it
  std::uint16_t slotListIndex;   // kSkippedBlockMark: a skipped block follows the name
};

}  // namespace stow

// The reader's archive document: the topic table, the lookup of topics and the
// content pipeline that streams them.
class ThisVxbFile : public stow::VxbFile {
 public:
  static constexpr std::uint32_t kMessageBufferSize = 32768;
  static constexpr std::uint32_t kUnpackBufferSize = 65552;
  static constexpr std::uint32_t kFileBufferSize = 65536;
  static constexpr std::int32_t kNoTopic = -1;

  ThisVxbFile();
  ~ThisVxbFile() override;

  // The archive file that OpenArchive and LoadTopicTable open.
  void SetPath(std::string path) { m_path = std::move(path); }

  // Frees the topic table and the slot list, then closes the file.
  void Close() override;

  // Opens the file at the path held (read access, existing files only), parses and
  // checks it: records 16401 and 16402 must be there, 16402 describing a table of
  // 24-byte slots in format 1.
  void OpenArchive();
  // OpenArchive, then reads the topic table and the slot list. Returns the start
  // topic number (negative: none).
  std::int32_t LoadTopicTable();

  // Finds a topic by NUMBER when it is not negative, else by PATH: as written
  // first, then against the base path and its parents; on success PATH becomes the
  // topic's path, the topic is ready to be read with ReadTopicData, and the result
  // is true.
  bool OpenTopic(std::int32_t number, std::string& path);
  // Whether the topic opened last was found only against the base path: the
  // request as written names no topic, and the answer depends on the page opened
  // before it.
  bool FoundInLastFolder() const { return m_foundInLastFolder; }

  // Copies up to SIZE bytes of the current topic or page into MEMORY, COUNT = bytes
  // copied; true once the end has been reached (a page is then served once).
  bool ReadTopicData(void* memory, std::uint32_t size, std::uint32_t& count);
  // Makes TEXT, a generated HTML page, the page text and the next thing read.
  void SetPage(std::string text);
  const std::string& GetPageText() const { return m_pageText; }

  // The extension of the current topic without its dot ("HTML" for a page).
  const std::string& GetTopicExtension() const { return m_topicExtension; }
  std::int32_t GetCurrentSlot() const { return m_currentSlot; }
  const std::string& GetBasePath() const { return m_basePath; }
  // Forgets the folder of the last page, so that the next request is looked up
  // as it would be right after LoadTopicTable.
  void ClearBasePath() { m_basePath.clear(); }
  std::int32_t GetStartTopic() const { return m_startTopic; }

  std::uint32_t GetSlotCount() const { return m_slotCount; }
  stow::TopicSlot GetSlot(std::uint32_t number) const;
  std::uint32_t GetSlotListEntryCount() const { return m_slotListEntries; }
  const std::array<std::uint32_t, 7>& GetHeaderWords() const { return m_header; }

 protected:
  void HandleRecord(BiffRecord record) override;

 private:
  void MapArchive();
  // The SIZE bytes at OFFSET (within the file): in the mapping, or read into COPY.
  // They are read with os::ReadMapped.
  const std::uint8_t* Block(std::uint64_t offset, std::uint64_t size,
                            std::unique_ptr<std::uint8_t[]>& copy);
  void ReadTopicTable();
  void ReadSlotList();
  // Reads the name record of SLOT (not empty) into m_name.
  void ReadName(std::uint32_t slot);
  // Whether the name record of SLOT holds NAME, of hash HASH, compared without
  // regard to case; on a match m_name holds the record's name. What the record
  // tells is kept in m_nameKeys, so that the next walk along its chain skips it
  // without reading it where it cannot match.
  bool NameMatches(std::uint32_t slot, const std::u16string& name, std::uint16_t hash);
  // Reads the name record of SLOT as far as a name of NAME's length reaches:
  // LENGTH receives the record's length; where it is NAME's, m_name receives the
  // name, HASH (where given) its hash, and the result tells whether it is NAME
  // without regard to case. Keeps nothing in m_nameKeys.
  bool CompareName(std::uint32_t slot, const std::u16string& name, std::uint16_t& length,
                   std::uint16_t* hash);
  // The first COUNT bytes of the name record at OFFSET (at least 2 bytes before
  // the end of the file), fewer where the file ends first: in the file's mapping,
  // where they are read with os::ReadMapped, or read into the name buffer.
  std::span<const std::uint8_t> NameRecordBytes(std::uint32_t offset, std::size_t count);
  // The file gave fewer bytes than it holds: 1009.
  [[noreturn]] void ThrowUnreadable() const;
  // Follows the hash chain of CANDIDATE; true when it holds the topic.
  bool FindOnChain(const std::string& candidate, std::uint32_t& slot);
  // Reads the names on the chain of HOME into m_chains, once.
  void LearnChain(std::uint32_t home);
  // Starts fetching the slot and the name record of PLACE, so that the two cache
  // misses overlap.
  void PrefetchTopic(TopicChainIndex::Place place) const;
  // Walks the chain of HOME name by name; true when it holds NAME.
  bool WalkChain(std::uint32_t home, const std::u16string& name, std::uint16_t hash,
                 std::uint32_t& slot);
  // Makes the topic of SLOT, whose path is PATH and whose name record has just been
  // read, the current topic and primes the pipeline with it.
  void EnterTopic(std::uint32_t slot, const std::string& path);
  void MoveBasePath(const std::string& path);
  [[noreturn]] void ThrowDamage(const char* detail) const;

  std::array<std::uint32_t, 7> m_header{};  // record 16401
  bool m_hasHeader = false;
  std::array<std::uint32_t, 5> m_tableRecord{};  // record 16402
  bool m_hasTableRecord = false;

  std::uint32_t m_slotCount = 0;
  const std::uint8_t* m_table = nullptr;    // the topic table: in the mapping, or m_slots
  std::unique_ptr<std::uint8_t[]> m_slots;  // the table read, where the file is not mapped
  // Per slot, the length and hash of its name once a lookup has read it.
  os::LargeTable<std::uint32_t> m_nameKeys;
  TopicChainIndex m_chains;
  std::unique_ptr<std::uint8_t[]> m_slotList;  // read, where the file is not mapped
  std::uint32_t m_slotListEntries = 0;
  std::int32_t m_startTopic = kNoTopic;
  std::uint64_t m_fileLength = 0;

  std::string m_basePath;
  bool m_foundInLastFolder = false;
  std::int32_t m_currentSlot = kNoTopic;
  std::string m_topicExtension;
  std::string m_pageText;
  std::u16string m_name;           // the name record read last
  std::string m_candidate;         // the path a lookup tries
  std::u16string m_wanted;         // the same, in UTF-16
  std::uint64_t m_nameEnd = 0;     // where it ends in the file
  std::unique_ptr<std::uint8_t[]> m_nameBuffer;  // its bytes, as read
  // The file in memory while the topic table is loaded: lookups walk the table and
  // compare names in it with no system call. Empty where it cannot be mapped.
  os::MappedFile m_mapping;

  CKelLzExpandBufByte m_expander;
  std::unique_ptr<stow::MessageBuffer> m_messageBuffer;
  std::unique_ptr<stow::UnpackBuffer> m_unpackBuffer;
  std::unique_ptr<stow::FileBuffer> m_fileBuffer;
  stow::ConsumerBuffer* m_source = nullptr;  // the message or the unpacking buffer
  bool m_dataMapped = false;  // the current topic's stored bytes are in the mapping
};
