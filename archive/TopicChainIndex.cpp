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
  m_states = {};
  m_entries = {};
  m_used = 0;
}

TopicChainIndex::Chain TopicChainIndex::StateOf(std::uint32_t home) const {
  return m_states.empty() ? Chain::kUnknown : static_cast<Chain>(m_states[home]);
}

void TopicChainIndex::SetState(std::uint32_t home, Chain state) {
  if (m_states.empty()) m_states = os::LargeTable<std::uint8_t>(m_slotCount);
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

void TopicChainIndex::Prefetch(std::uint32_t key, std::uint32_t home) const {
  if (!m_states.empty()) __builtin_prefetch(&m_states[home]);
  if (!m_entries.empty()) __builtin_prefetch(&m_entries[Probe(key, m_entries.size() - 1)]);
}

bool TopicChainIndex::Add(std::uint32_t key, Place place) {
  if (m_used >= kEntriesPerSlot * std::size_t{m_slotCount} + 16) return false;
  if (2 * (m_used + 1) > m_entries.size()) Grow();
  const std::size_t mask = m_entries.size() - 1;
  for (std::size_t at = Probe(key, mask);; at = (at + 1) & mask) {
    Entry& entry = m_entries[at];
    if (entry.key == 0) {
      entry = {key, place, 0};
      ++m_used;
      return true;
    }
    if (entry.key == key) return true;
  }
}

bool TopicChainIndex::Find(std::uint32_t key, Place& place) const {
  if (m_entries.empty()) return false;
  const std::size_t mask = m_entries.size() - 1;
  for (std::size_t at = Probe(key, mask);; at = (at + 1) & mask) {
    const Entry& entry = m_entries[at];
    if (entry.key == 0) return false;
    if (entry.key == key) {
      place = entry.place;
      return true;
    }
  }
}

void TopicChainIndex::Grow() {
  os::LargeTable<Entry> old(std::max<std::size_t>(64, 2 * m_entries.size()));
  std::swap(old, m_entries);  // m_entries: the larger table, empty; OLD: the entries
  const std::size_t mask = m_entries.size() - 1;
  for (const Entry& entry : old) {
    if (entry.key == 0) continue;
    std::size_t at = Probe(entry.key, mask);
    while (m_entries[at].key != 0) at = (at + 1) & mask;
    m_entries[at] = entry;
  }
}
