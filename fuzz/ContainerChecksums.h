// Mends the two checksums of a container (header and record list) so that a
// fuzzed file gets past them to the checks behind: without this nearly every
// mutation of the header or the list would end at the checksum test.
#pragma once

#include <cstdint>
#include <string>

#include "archive/Crc16.h"
#include "base/LittleEndian.h"

namespace fuzz {

inline void MendContainerChecksums(std::string& file) {
  constexpr std::size_t kHeader = 24;
  if (file.size() < kHeader) return;
  auto* bytes = reinterpret_cast<std::uint8_t*>(file.data());
  vxs::PutU16(bytes + 22, Crc16(bytes, 22));
  const std::uint32_t listAt = vxs::GetU32(bytes + 4);
  const std::uint32_t listLength = vxs::GetU32(bytes + 16);
  if (listAt > file.size() || listLength > file.size() - listAt) return;
  // Walk the list to its closing record as the reader does.
  std::size_t at = 0;
  while (listLength - at >= 4) {
    const std::uint16_t type = vxs::GetU16(bytes + listAt + at);
    const std::uint16_t length = vxs::GetU16(bytes + listAt + at + 2);
    if (length < 4 || length > listLength - at) return;
    if (type >= 8) {
      at += length;
      continue;
    }
    if (type != 1 || length < 8) return;
    // The list's checksum covers the header and the list up to its own place.
    std::uint16_t crc = Crc16(bytes, kHeader);
    crc = Crc16(bytes + listAt, at + 6, crc);
    vxs::PutU16(bytes + listAt + at + 6, crc);
    return;
  }
}

}  // namespace fuzz
