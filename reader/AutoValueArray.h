// An array that owns its elements and, when asked, wipes them with zeros before
// it frees them (for memory that held data handed over by a host).
#pragma once

#include <cstddef>
#include <memory>

template <class T>
class AutoValueArray {
 public:
  // COUNT value-initialised (zero) elements.
  AutoValueArray(std::size_t count, bool wipeOnDestruction)
      : m_data(new T[count]()), m_count(count), m_wipe(wipeOnDestruction) {}
  ~AutoValueArray() {
    if (!m_wipe) return;
    // Through a volatile pointer, so that the stores are not left out as dead.
    volatile T* element = m_data.get();
    for (std::size_t i = 0; i < m_count; ++i) element[i] = T();
  }
  AutoValueArray(const AutoValueArray&) = delete;
  AutoValueArray& operator=(const AutoValueArray&) = delete;

  T* GetData() { return m_data.get(); }
  const T* GetData() const { return m_data.get(); }
  std::size_t GetCount() const { return m_count; }

 private:
  std::unique_ptr<T[]> m_data;
  std::size_t m_count;
  bool m_wipe;
};
