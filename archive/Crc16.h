// CRC-16/ARC, the checksum of container headers and record lists: polynomial
// 0x8005 in reflected form (0xA001), initial value 0, no final XOR. Stored
// little-endian behind the bytes it covers, so that the CRC over bytes and stored
// CRC together is 0.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues CRC over SIZE bytes at DATA (start with 0).
std::uint16_t Crc16(const void* data, std::size_t size, std::uint16_t crc = 0);
