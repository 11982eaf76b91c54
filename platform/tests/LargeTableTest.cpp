// Zero-filled tables, small (from the heap) and large (mapped on huge-page
// boundaries): every element starts at zero, both ends can be written, and a
// table moved keeps its elements.
#include "platform/LargeTable.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(LargeTable, StartsZeroedHoldsWhatIsWrittenAndMoves) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  for (const std::size_t count : {std::size_t{1}, std::size_t{1000}, kHugePage / 8 + 3, 3 * kHugePage / 8}) {
    os::LargeTable<std::uint64_t> table(count);
    ASSERT_EQ(table.size(), count);
    ASSERT_GE(table.Bytes(), count * 8);
    if (table.Bytes() >= kHugePage) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(table.begin()) % kHugePage, 0u) << count;
      EXPECT_EQ(table.Bytes() % kHugePage, 0u) << count;
    }
    std::size_t nonzero = 0;
    for (const std::uint64_t value : table) nonzero += value != 0;
    EXPECT_EQ(nonzero, 0u) << count;
    table[0] = 7;
    table[count - 1] = 9;
    os::LargeTable<std::uint64_t> moved;
    moved = std::move(table);
    EXPECT_TRUE(table.empty());
    ASSERT_EQ(moved.size(), count);
    EXPECT_EQ(moved[count - 1], 9u) << count;
    EXPECT_EQ(moved[0], count == 1 ? 9u : 7u) << count;
  }
}

}  // namespace
