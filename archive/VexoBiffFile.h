// CVexoBiffFile: the VEXO-BIFF container under every archive. A 24-byte header and
// a CRC-checked list of typed records, then content whose layout belongs to the
// document kind. Reading validates header and list, hands each record to
// HandleRecord and leaves the file at the content; writing collects the records in
// a fixed block and puts header and list in front of the content at Finish.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "archive/BiffRecord.h"
#include "base/KelFile.h"
#include "platform/WinTypes.h"

// What a document kind expects of its containers: one static, constant record per kind.
struct BiffFileKind {
  static constexpr std::uint32_t kAcceptNoFileType = 1;  // a file without record 12 is fine
  static constexpr std::uint32_t kNameMustMatch = 2;     // record 8 must equal NAME
  static constexpr std::uint32_t kCreateRecord260 = 4;   // the writer adds record 260

  std::uint32_t flags;
  const char* name;       // or nullptr
  const GUID* fileType;   // or nullptr: any GUID, the kind checks it itself
  std::uint16_t versionMajor;  // the newest version read; the version written
  std::uint16_t versionMinor;
  std::uint16_t versionWord3;  // written as the version record's third and fourth word
  std::uint16_t versionWord4;
  std::uint8_t minimumMajor;   // the oldest version read
  std::uint8_t minimumMinor;
  std::uint32_t alignment;     // of the content's start; 0 means 4
  std::uint32_t capacity;      // of the writer's record block in bytes; 0 means 4096
};

class CVexoBiffFile : public CKelFile {
 public:
  static constexpr std::size_t kHeaderLength = 24;
  static constexpr std::uint32_t kMaxListLength = 65520;

  explicit CVexoBiffFile(const BiffFileKind& kind);

  void Reset() override;
  // Closes the file and frees the record list; the object can be opened again.
  void Close() override;

  // Opens the container at PATH (empty: the path held) and parses it: header and
  // list, HandleRecord for each record, then the position at the content.
  void Open(const std::string& path, DWORD access = GENERIC_READ,
            DWORD disposition = OPEN_EXISTING, DWORD flags = 0);
  // Loads and validates header and record list (once) and returns the first record.
  BiffRecord ReadRecords();
  // Called by Open for each record in list order, the closing one included. The
  // base handles the types 8, 9, 12, 258, 260 and 264; kinds call it first.
  virtual void HandleRecord(BiffRecord record);

  const std::string& GetName() const { return m_name; }  // UTF-8
  bool HasFileType() const { return m_hasFileType; }
  const GUID& GetFileType() const { return m_fileType; }
  BiffRecord GetVersionRecord() const { return m_versionRecord; }
  BiffRecord GetDataOffsetRecord() const { return m_dataOffsetRecord; }
  BiffRecord GetRecord260() const { return m_record260; }
  BiffRecord GetRecord264() const { return m_record264; }
  // The content's offset; 0 without a data-offset record.
  std::uint32_t GetDataOffset() const;
  bool HasEndRecord() const { return m_hasEndRecord; }
  std::uint16_t GetListCrc() const { return static_cast<std::uint16_t>(m_listCrc); }

  // The creation time the writer records (UTC). Without it the writer takes
  // SOURCE_DATE_EPOCH when that is set, else the present.
  void SetCreationTime(std::time_t utc) { m_creationTime = utc; }
  // Creates the container at PATH and begins its record list; the file is then
  // positioned at the content's start.
  void Create(const std::string& path, DWORD access = GENERIC_READ | GENERIC_WRITE,
              DWORD disposition = CREATE_ALWAYS, DWORD flags = FILE_ATTRIBUTE_ARCHIVE);
  // Appends a record with a zeroed payload of SIZE bytes (the record is rounded up
  // to a multiple of 4). While no content is written yet, the content's start moves
  // behind a list that grows into it; once content is written, that fails (1010).
  // A full record block fails as memory does.
  BiffRecord AddRecord(std::uint16_t type, std::size_t size);
  // Appends a string record holding TEXT (UTF-8; stored in windows-1252).
  BiffRecord AddStringRecord(std::uint16_t type, std::string_view text);
  // Appends the end record and writes header and list to the start of the file.
  void Finish();

 protected:
  // Throws the container's failure CODE with DETAIL as its first argument.
  [[noreturn]] void Fail(std::uint32_t code, std::string detail, std::string arg2 = {}) const;

 private:
  void FreeRecords();
  void ValidateHeader(const std::uint8_t* header) const;
  void ValidateList();
  void CheckVersion(BiffRecord record);
  void RequirePayload(BiffRecord record, std::size_t size) const;
  void BeginRecordList();
  BiffRecord AppendRecord(std::uint16_t type, std::size_t size);
  BiffRecord AppendStringRecord(std::uint16_t type, std::string_view text);
  void KeepContentBehindList();
  void AppendCreationTime();
  std::time_t CreationTime() const;

  const BiffFileKind& m_kind;
  std::unique_ptr<std::uint8_t[]> m_buffer;  // header copy, then the record list
  std::size_t m_used = 0;
  std::size_t m_capacity = 0;
  std::uint32_t m_alignment = 4;
  bool m_hasEndRecord = false;
  std::uint32_t m_listCrc = 0;
  std::string m_name;
  bool m_hasFileType = false;
  GUID m_fileType{};
  BiffRecord m_versionRecord;
  BiffRecord m_dataOffsetRecord;
  BiffRecord m_record264;
  BiffRecord m_record260;
  std::optional<std::time_t> m_creationTime;
};
