// Catching in tests the exceptions the foundation throws by pointer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/KelException.h"

// The exception of type E that ACTION throws, owned, or null.
template <class E = CKelException>
std::unique_ptr<E> Caught(const std::function<void()>& action) {
  try {
    action();
  } catch (E* e) {
    return std::unique_ptr<E>(e);
  }
  return nullptr;
}

// The code ACTION fails with, 0 when it does not fail.
inline std::uint32_t FailureCode(const std::function<void()>& action) {
  const auto e = Caught(action);
  return e ? e->m_code : 0;
}
