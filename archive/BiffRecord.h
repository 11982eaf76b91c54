// A record of a VEXO-BIFF record list, addressed in place in the container's
// record buffer: u16 type, u16 length (the whole record), then the payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace biff {

// Record types the container itself knows. Types below 8 close the list.
inline constexpr std::uint16_t kEnd = 1;
inline constexpr std::uint16_t kFirstOrdinary = 8;
inline constexpr std::uint16_t kName = 8;
inline constexpr std::uint16_t kVersion = 9;
inline constexpr std::uint16_t kCreationTime = 10;
inline constexpr std::uint16_t kFileType = 12;
inline constexpr std::uint16_t kDataOffset = 258;
inline constexpr std::uint16_t kKindWord260 = 260;  // one u32 for the document kind
inline constexpr std::uint16_t kKindWord264 = 264;  // one u32 for the document kind

}  // namespace biff

class BiffRecord {
 public:
  BiffRecord() = default;
  explicit BiffRecord(std::uint8_t* at) : m_at(at) {}

  explicit operator bool() const { return m_at != nullptr; }
  std::uint16_t Type() const;
  std::uint16_t Length() const;
  std::uint8_t* Payload() const { return m_at + 4; }
  std::size_t PayloadSize() const;
  // The record that follows this one in the list.
  BiffRecord Next() const { return BiffRecord(m_at + Length()); }

  // Numbers at OFFSET in the payload; 0 where the payload is too short.
  std::uint16_t Word(std::size_t offset) const;
  std::uint32_t Dword(std::size_t offset) const;
  void SetWord(std::size_t offset, std::uint16_t value);
  void SetDword(std::size_t offset, std::uint32_t value);

  // The payload as a string record: 16-bit units up to the first 0, each holding a
  // windows-1252 byte in its low half; given in UTF-8.
  std::string Text() const;
  // Fills the payload with TEXT (UTF-8) as 16-bit units widened from its
  // windows-1252 bytes with sign extension, and a 0 unit; needs StringPayloadSize.
  void SetText(std::string_view text);
  static std::size_t StringPayloadSize(std::string_view text);

 private:
  std::uint8_t* m_at = nullptr;
};
