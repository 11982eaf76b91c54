// Where the names of a topic table lie, learnt the first time a lookup walks a
// hash chain: after that a lookup along the same chain finds its slot in memory
// and reads one name record (to confirm it) rather than every name on the way.
// Keys hash the whole name without regard to case together with the home slot
// of the chain walked, so a lookup finds exactly what a walk from that home
// would find first; two names under one key keep the first, and a lookup that
// is not confirmed walks the chain as before. Chains that could not be learnt
// whole (a damaged slot, a circle, the index full) are walked as before, so a
// damaged table gives the same errors and results.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/LargeTable.h"

class TopicChainIndex {
 public:
  enum class Chain : std::uint8_t { kUnknown, kLearnt, kWalked };
  // A topic on a chain: its slot and the offset of its name record.
  struct Place {
    std::uint32_t slot;
    std::uint32_t nameOffset;
  };

  // Forgets everything, for a table of SLOTCOUNT slots.
  void Reset(std::uint32_t slotCount);
  Chain StateOf(std::uint32_t home) const;
  void SetState(std::uint32_t home, Chain state);
  static std::uint32_t KeyOf(std::u16string_view name, std::uint32_t home);
  // Starts fetching what StateOf(HOME) and Find(KEY) read, so that the two
  // cache misses overlap.
  void Prefetch(std::uint32_t key, std::uint32_t home) const;
  // Records PLACE under KEY unless a place is there already; false when the index
  // holds as many entries as it may (then nothing is recorded).
  bool Add(std::uint32_t key, Place place);
  // The place recorded under KEY, or false.
  bool Find(std::uint32_t key, Place& place) const;

 private:
  void Grow();

  std::uint32_t m_slotCount = 0;
  os::LargeTable<std::uint8_t> m_states;  // per home slot; made at the first walk
  struct Entry {
    std::uint32_t key;  // never 0; 0: the entry is free
    Place place;
    std::uint32_t unused;  // keeps an entry within one cache line
  };
  // Open addressing, at most half full.
  os::LargeTable<Entry> m_entries;
  std::size_t m_used = 0;
};
