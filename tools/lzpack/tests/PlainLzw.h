// A plain greedy LZW of the packer's code format, as a yardstick for packed
// sizes in tests and benchmarks: longest match through a dictionary that
// simply stops growing when it is full (no use of code T).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>

// The size in bytes of CHUNK packed that way.
inline std::size_t PlainLzwPackedSize(std::span<const std::uint8_t> chunk) {
  constexpr std::uint32_t kFirst = 256, kLimit = 8192;
  std::unordered_map<std::uint32_t, std::uint32_t> entries;  // prefix << 8 | byte -> code
  std::size_t bits = 0;
  std::uint32_t nextEntry = kFirst, readNext = kFirst;
  unsigned indexBits = 1;
  for (std::size_t pos = 0; pos < chunk.size();) {
    std::uint32_t code = chunk[pos];
    std::size_t length = 1;
    for (; pos + length < chunk.size(); ++length) {
      const auto found = entries.find(code << 8 | chunk[pos + length]);
      if (found == entries.end()) break;
      code = found->second;
    }
    while (readNext - kFirst >= 1u << indexBits) ++indexBits;
    bits += code < kFirst ? 9 : 1 + indexBits;
    if (pos > 0 && readNext < kLimit) ++readNext;
    pos += length;
    if (pos < chunk.size() && nextEntry < kLimit) entries[code << 8 | chunk[pos]] = nextEntry++;
  }
  return (bits + 7) / 8;
}
