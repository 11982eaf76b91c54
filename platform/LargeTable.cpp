#include "platform/LargeTable.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace os {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Rounds BYTES up to whole huge pages.
std::size_t HugePages(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

// A mapping of BYTES (whole huge pages) that starts on a huge page: a mapping one
// huge page longer, trimmed at both ends.
void* MapAligned(std::size_t bytes) {
  const std::size_t length = bytes + kHugePage;
  void* const mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned != start) ::munmap(mapped, aligned - start);
  if (const std::size_t tail = start + length - (aligned + bytes); tail != 0)
    ::munmap(reinterpret_cast<void*>(aligned + bytes), tail);
  return reinterpret_cast<void*>(aligned);
}

}  // namespace

ZeroedMemory::ZeroedMemory(std::size_t bytes) {
  if (bytes >= kHugePage) {
    m_bytes = HugePages(bytes);
    m_data = MapAligned(m_bytes);
    if (m_data == nullptr) throw std::bad_alloc();
    // Only a hint: without huge pages the table works as well, more slowly.
    ::madvise(m_data, m_bytes, MADV_HUGEPAGE);
    m_mapped = true;
    return;
  }
  m_bytes = bytes;
  m_data = std::calloc(bytes != 0 ? bytes : 1, 1);
  if (m_data == nullptr) throw std::bad_alloc();
}

ZeroedMemory::~ZeroedMemory() {
  if (m_mapped) {
    ::munmap(m_data, m_bytes);
  } else {
    std::free(m_data);
  }
}

}  // namespace os
