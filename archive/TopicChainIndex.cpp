#include "archive/TopicChainIndex.h"

#include "archive/TopicName.h"

#include <algorithm>

namespace {

// Chains of a sound table hold each slot once; merged chains of a table made
// elsewhere could repeat slots under many homes: past this many entries per
// slot, chains are walked.
constexpr std::size_t kEntriesPerSlot = 2;

std::size_t Probe(std::uint32_t key, std::size_t mask) {
  return (std::size_t{key} * 0x9E3779B1u) & mask;
}

}  // namespace

void TopicChainIndex::Reset(std::uint32_t slotCount) {
  m_slotCount = slotCount;
  m_states.reset();
  m_entries.clear();
  m_entries.shrink_to_fit();
  m_used = 0;
}

TopicChainIndex::Chain TopicChainIndex::StateOf(std::uint32_t home) const {
  return m_states ? static_cast<Chain>(m_states[home]) : Chain::kUnknown;
}

void TopicChainIndex::SetState(std::uint32_t home, Chain state) {
  if (!m_states) m_states = std::make_unique<std::uint8_t[]>(m_slotCount);
  m_states[home] = static_cast<std::uint8_t>(state);
}

std::uint32_t TopicChainIndex::KeyOf(std::u16string_view name, std::uint32_t home) {
  std::uint32_t hash = 2166136261u ^ home;
  for (char16_t c : name) {
    // ASCII letters lower as the table lowers them, without the table.
    const char16_t lower = c < 0x80 ? (c >= u'A' && c <= u'Z' ? c + 32 : c) : stow::LowerTopicChar(c);
    hash = (hash ^ lower) * 16777619u;
  }
  hash ^= hash >> 15;
  return hash != 0 ? hash : 1;
}

bool TopicChainIndex::Add(std::uint32_t key, std::uint32_t slot) {
  if (m_used >= kEntriesPerSlot * std::size_t{m_slotCount} + 16) return false;
  if (2 * (m_used + 1) > m_entries.size()) Grow();
  const std::size_t mask = m_entries.size() - 1;
  for (std::size_t at = Probe(key, mask);; at = (at + 1) & mask) {
    const std::uint64_t entry = m_entries[at];
    if (entry == 0) {
      m_entries[at] = std::uint64_t{key} << 32 | slot;
      ++m_used;
      return true;
    }
    if (entry >> 32 == key) return true;
  }
}

bool TopicChainIndex::Find(std::uint32_t key, std::uint32_t& slot) const {
  if (m_entries.empty()) return false;
  const std::size_t mask = m_entries.size() - 1;
  for (std::size_t at = Probe(key, mask);; at = (at + 1) & mask) {
    const std::uint64_t entry = m_entries[at];
    if (entry == 0) return false;
    if (entry >> 32 == key) {
      slot = static_cast<std::uint32_t>(entry);
      return true;
    }
  }
}

std::size_t TopicChainIndex::MemoryBytes() const {
  return m_entries.capacity() * sizeof(std::uint64_t) + (m_states ? m_slotCount : 0);
}

void TopicChainIndex::Grow() {
  std::vector<std::uint64_t> old(std::max<std::size_t>(64, 2 * m_entries.size()));
  old.swap(m_entries);  // m_entries: the larger table, empty; OLD: the entries
  const std::size_t mask = m_entries.size() - 1;
  for (std::uint64_t entry : old) {
    if (entry == 0) continue;
    std::size_t at = Probe(static_cast<std::uint32_t>(entry >> 32), mask);
    while (m_entries[at] != 0) at = (at + 1) & mask;
    m_entries[at] = entry;
  }
}
