// CRC-32 as zlib's crc32() computes it (the polynomial of gzip and PNG), for the
// entity tags of answers. Every page served is summed whole, so the sum runs with
// carry-less multiplication, folding 64 bytes a step, where the processor has it
// (several times zlib's speed) and falls back on zlib elsewhere: the values are
// the same either way, so tags stay those that proxies and browsers already hold.
#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-32 of DATA continued from CRC (0 for the first piece).
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);
