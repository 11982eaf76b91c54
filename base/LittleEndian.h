// Little-endian numbers in byte buffers, the byte order of every file format of
// the system. Safe at any alignment.
#pragma once

#include <cstdint>

namespace vxs {

inline std::uint16_t GetU16(const void* at) {
  const auto* b = static_cast<const std::uint8_t*>(at);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

inline std::uint32_t GetU32(const void* at) {
  const auto* b = static_cast<const std::uint8_t*>(at);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

inline void PutU16(void* at, std::uint16_t value) {
  auto* b = static_cast<std::uint8_t*>(at);
  b[0] = static_cast<std::uint8_t>(value);
  b[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutU32(void* at, std::uint32_t value) {
  auto* b = static_cast<std::uint8_t*>(at);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace vxs
