// Archives for the archive tests: written by the project's writer from topics the
// test gives, then read, and where a test needs damage, patched in place.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "archive/Crc16.h"
#include "archive/VxbFile.h"
#include "base/KelException.h"
#include "base/LittleEndian.h"
#include "platform/tests/TempFolder.h"
#include "tools/vxb/ArchiveWriter.h"

namespace archive_tests {

// Bytes that do not pack: every chunk of them is stored plain.
inline std::string RandomBytes(std::size_t size, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Bytes that pack well: text made of a few words.
inline std::string TextBytes(std::size_t size, unsigned seed = 2) {
  static const char* const words[] = {"archive ", "topic ", "chunk ", "<p>", "vexost ", "\n"};
  std::mt19937 random(seed);
  std::string bytes;
  while (bytes.size() < size) bytes += words[random() % 6];
  bytes.resize(size);
  return bytes;
}

// The code of a CKelException thrown by CALL, or 0 when none was thrown.
template <class Call>
std::uint32_t ThrownCode(Call&& call, std::string* detail = nullptr) {
  try {
    call();
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> owned(e);
    if (detail) *detail = e->m_arg1;
    return e->m_code;
  }
  return 0;
}

class ArchiveTest : public ::testing::Test {
 protected:
  using Topics = std::vector<std::pair<std::string, std::string>>;

  // Writes an archive of TOPICS (path, bytes) and returns its path.
  std::string Build(const Topics& topics, stow::ArchiveProperties properties = Properties()) {
    stow::ArchiveWriter writer(std::move(properties));
    for (const auto& [path, bytes] : topics) writer.AddBytes(path, bytes);
    const std::string path = m_folder / "test.vxb";
    writer.Write(path);
    return path;
  }

  static stow::ArchiveProperties Properties() {
    stow::ArchiveProperties properties;
    properties.name = "Test";
    properties.creationTime = 1700000000;
    return properties;
  }

  // Opens PATH as the reader does.
  static std::unique_ptr<ThisVxbFile> Load(const std::string& path) {
    auto archive = std::make_unique<ThisVxbFile>();
    archive->SetPath(path);
    archive->LoadTopicTable();
    return archive;
  }

  // The whole current topic, read in pieces of PIECE bytes.
  static std::string ReadAll(ThisVxbFile& archive, std::uint32_t piece = 4096) {
    std::string bytes;
    std::vector<char> buffer(piece);
    for (bool ended = false; !ended;) {
      std::uint32_t count = 0;
      ended = archive.ReadTopicData(buffer.data(), piece, count);
      EXPECT_LE(count, piece);
      bytes.append(buffer.data(), count);
    }
    return bytes;
  }

  // The slot of the topic PATH (found from an empty base path).
  static std::uint32_t SlotOf(const std::string& archivePath, const std::string& path) {
    const std::unique_ptr<ThisVxbFile> archive = Load(archivePath);
    std::string request = path;
    EXPECT_TRUE(archive->OpenTopic(ThisVxbFile::kNoTopic, request)) << path;
    return static_cast<std::uint32_t>(archive->GetCurrentSlot());
  }

  // Where the fields of slot SLOT lie in the file, and where its stored data begins.
  struct SlotPlace {
    std::uint32_t slotAt;
    std::uint32_t dataAt;
    stow::TopicSlot slot;
  };
  SlotPlace PlaceOf(const std::string& archivePath, const std::string& path) {
    const std::uint32_t number = SlotOf(archivePath, path);
    const std::unique_ptr<ThisVxbFile> archive = Load(archivePath);
    const stow::TopicSlot slot = archive->GetSlot(number);
    const std::string bytes = TempFolder::ReadAll(archivePath);
    const std::uint32_t tableAt = TopicTableRecord(bytes, 0);
    const std::uint16_t nameLength = vxs::GetU16(bytes.data() + slot.nameOffset);
    return {tableAt + number * stow::kTopicSlotSize, slot.nameOffset + 2u + 2u * nameLength, slot};
  }

  // The u32 at OFFSET in the payload of record 16402 of the archive BYTES.
  static std::uint32_t TopicTableRecord(const std::string& bytes, std::size_t offset) {
    return vxs::GetU32(bytes.data() + RecordPayload(bytes, stow::kRecordTopicTable) + offset);
  }

  // The file offset of the payload of the first record of TYPE.
  static std::size_t RecordPayload(const std::string& bytes, std::uint16_t type) {
    for (std::size_t at = 24; at + 4 <= bytes.size();) {
      const std::uint16_t length = vxs::GetU16(bytes.data() + at + 2);
      if (vxs::GetU16(bytes.data() + at) == type) return at + 4;
      if (length < 4) break;
      at += length;
    }
    ADD_FAILURE() << "no record " << type;
    return 0;
  }

  // Overwrites the u32 or u16 at OFFSET of the file PATH.
  static void PatchU32(const std::string& path, std::size_t offset, std::uint32_t value) {
    char bytes[4];
    vxs::PutU32(bytes, value);
    PatchBytes(path, offset, std::string(bytes, 4));
  }
  static void PatchU16(const std::string& path, std::size_t offset, std::uint16_t value) {
    PatchBytes(path, offset, std::string{static_cast<char>(value), static_cast<char>(value >> 8)});
  }
  // Overwrites BYTES at OFFSET.
  static void PatchBytes(const std::string& path, std::size_t offset, const std::string& patch) {
    std::string bytes = TempFolder::ReadAll(path);
    bytes.replace(offset, patch.size(), patch);
    Rewrite(path, bytes);
  }
  // Changes the u32 at OFFSET of the payload of record TYPE and mends the list's
  // CRC, so that the container stays sound and the damage lies behind it.
  static void PatchRecord(const std::string& path, std::uint16_t type, std::size_t offset,
                          std::uint32_t value) {
    std::string bytes = TempFolder::ReadAll(path);
    vxs::PutU32(bytes.data() + RecordPayload(bytes, type) + offset, value);
    const std::uint32_t listLength = vxs::GetU32(bytes.data() + 16);
    const std::size_t crcAt = 24 + listLength - 4;  // first payload word of the end record
    vxs::PutU16(bytes.data() + crcAt, Crc16(bytes.data() + 24, crcAt - 24));
    Rewrite(path, bytes);
  }
  static void Rewrite(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  TempFolder m_folder;
};

}  // namespace archive_tests
