// Zero-filled memory for the large tables that lookups read at random places
// (the chain index, the per-slot name keys). A table of some megabytes spread
// over 4 KiB pages costs a TLB miss on nearly every read as well as a cache
// miss; a large table is therefore mapped on 2 MiB boundaries and the system is
// asked for huge pages, where it has them to give. The pages are zeroed by the
// system as they are first touched, not all at once here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace os {

class ZeroedMemory {
 public:
  ZeroedMemory() = default;
  // BYTES of zeroes; throws std::bad_alloc where the system has no room.
  explicit ZeroedMemory(std::size_t bytes);
  ~ZeroedMemory();
  ZeroedMemory(ZeroedMemory&& other) noexcept { Swap(other); }
  ZeroedMemory& operator=(ZeroedMemory&& other) noexcept {
    ZeroedMemory(std::move(other)).Swap(*this);
    return *this;
  }

  void* Data() const { return m_data; }
  std::size_t Bytes() const { return m_bytes; }

 private:
  void Swap(ZeroedMemory& other) noexcept {
    std::swap(m_data, other.m_data);
    std::swap(m_bytes, other.m_bytes);
    std::swap(m_mapped, other.m_mapped);
  }

  void* m_data = nullptr;
  std::size_t m_bytes = 0;
  bool m_mapped = false;  // mapped, rather than from the heap
};

// COUNT zero-filled elements of a type that zero bytes make a value of.
template <class T>
class LargeTable {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  LargeTable() = default;
  explicit LargeTable(std::size_t count) : m_memory(count * sizeof(T)), m_count(count) {}
  LargeTable(LargeTable&& other) noexcept
      : m_memory(std::move(other.m_memory)), m_count(std::exchange(other.m_count, 0)) {}
  LargeTable& operator=(LargeTable&& other) noexcept {
    m_memory = std::move(other.m_memory);
    m_count = std::exchange(other.m_count, 0);
    return *this;
  }

  T& operator[](std::size_t i) { return static_cast<T*>(m_memory.Data())[i]; }
  const T& operator[](std::size_t i) const { return static_cast<const T*>(m_memory.Data())[i]; }
  const T* begin() const { return static_cast<const T*>(m_memory.Data()); }
  const T* end() const { return begin() + m_count; }
  std::size_t size() const { return m_count; }
  bool empty() const { return m_count == 0; }
  std::size_t Bytes() const { return m_memory.Bytes(); }

 private:
  ZeroedMemory m_memory;
  std::size_t m_count = 0;
};

}  // namespace os
