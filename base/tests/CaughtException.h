// Catching in tests the exceptions the foundation throws by pointer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

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

// What ACTION fails with, as "CODE ARG1 | ARG2 | LOCATION" ("none" when it does not fail).
template <class E = CKelException>
std::string Thrown(const std::function<void()>& action) {
  const auto e = Caught<E>(action);
  if (!e) return "none";
  return std::to_string(e->m_code) + " " + e->m_arg1 + " | " + e->m_arg2 + " | " + e->m_location;
}
