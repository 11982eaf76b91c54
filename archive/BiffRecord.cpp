#include "archive/BiffRecord.h"

#include "base/LittleEndian.h"
#include "platform/CodePage.h"

std::uint16_t BiffRecord::Type() const { return vxs::GetU16(m_at); }

std::uint16_t BiffRecord::Length() const { return vxs::GetU16(m_at + 2); }

std::size_t BiffRecord::PayloadSize() const { return Length() < 4 ? 0 : Length() - 4u; }

std::uint16_t BiffRecord::Word(std::size_t offset) const {
  return offset + 2 <= PayloadSize() ? vxs::GetU16(Payload() + offset) : 0;
}

std::uint32_t BiffRecord::Dword(std::size_t offset) const {
  return offset + 4 <= PayloadSize() ? vxs::GetU32(Payload() + offset) : 0;
}

void BiffRecord::SetWord(std::size_t offset, std::uint16_t value) {
  if (offset + 2 <= PayloadSize()) vxs::PutU16(Payload() + offset, value);
}

void BiffRecord::SetDword(std::size_t offset, std::uint32_t value) {
  if (offset + 4 <= PayloadSize()) vxs::PutU32(Payload() + offset, value);
}

std::string BiffRecord::Text() const {
  std::string bytes;
  for (std::size_t offset = 0; offset + 2 <= PayloadSize(); offset += 2) {
    const std::uint16_t unit = Word(offset);
    if (unit == 0) break;
    bytes += static_cast<char>(unit & 0xFF);
  }
  return Cp1252ToUtf8(bytes);
}

std::size_t BiffRecord::StringPayloadSize(std::string_view text) {
  return 2 * (Utf8ToCp1252(text).size() + 1);
}

void BiffRecord::SetText(std::string_view text) {
  const std::string bytes = Utf8ToCp1252(text);
  std::size_t offset = 0;
  for (char byte : bytes) {
    SetWord(offset, static_cast<std::uint16_t>(static_cast<std::int16_t>(static_cast<std::int8_t>(byte))));
    offset += 2;
  }
  SetWord(offset, 0);
}
