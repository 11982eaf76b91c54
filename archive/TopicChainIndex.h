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
#include <memory>
#include <string_view>
#include <vector>

class TopicChainIndex {
 public:
  enum class Chain : std::uint8_t { kUnknown, kLearnt, kWalked };

  // Forgets everything, for a table of SLOTCOUNT slots.
  void Reset(std::uint32_t slotCount);
  Chain StateOf(std::uint32_t home) const;
  void SetState(std::uint32_t home, Chain state);
  static std::uint32_t KeyOf(std::u16string_view name, std::uint32_t home);
  // Records SLOT under KEY unless a slot is there already; false when the index
  // holds as many entries as it may (then nothing is recorded).
  bool Add(std::uint32_t key, std::uint32_t slot);
  // The slot recorded under KEY, or false.
  bool Find(std::uint32_t key, std::uint32_t& slot) const;
  std::size_t MemoryBytes() const;

 private:
  void Grow();

  std::uint32_t m_slotCount = 0;
  std::unique_ptr<std::uint8_t[]> m_states;  // per home slot; made at the first walk
  // Open addressing: key in the high half (never 0), slot in the low half.
  std::vector<std::uint64_t> m_entries;
  std::size_t m_used = 0;
};
