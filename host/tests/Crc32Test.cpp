#include "host/Crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

// The folded sum must give zlib's values for every length and alignment (tags
// computed before stay valid), whole or continued piece by piece.
TEST(Crc32Test, EqualsZlibForAnyLengthAlignmentAndSplit) {
  EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
  std::mt19937 random(7);
  std::string bytes(70000, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t size : {0, 1, 15, 16, 17, 63, 64, 65, 79, 80, 127, 128, 129, 1000, 4096, 65543}) {
    for (std::size_t offset : {0, 1, 3, 8}) {
      const auto expected = static_cast<std::uint32_t>(crc32(0, data + offset, static_cast<uInt>(size)));
      EXPECT_EQ(Crc32(0, data + offset, size), expected) << size << " bytes at " << offset;
      const std::size_t half = size / 2 + 5 > size ? size : size / 2 + 5;
      EXPECT_EQ(Crc32(Crc32(0, data + offset, half), data + offset + half, size - half), expected)
          << size << " bytes at " << offset << " in two pieces";
    }
  }
}
