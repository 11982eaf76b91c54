// Helpers for the parser tests: run a scan and catch the syntax error it throws.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/KelException.h"

struct SyntaxError {
  std::uint32_t code = 0;
  std::string arg1;
  std::string location;
};

// Runs SCAN, which must throw a CKelException; gives its code, argument 1
// and location (0 when nothing was thrown).
template <class Scan>
SyntaxError CatchError(Scan scan) {
  try {
    scan();
  } catch (CKelException* e) {
    std::unique_ptr<CKelException> owned(e);
    return {e->m_code, e->m_arg1, e->m_location};
  }
  ADD_FAILURE() << "no error was thrown";
  return {};
}

inline bool operator==(const SyntaxError& a, const SyntaxError& b) {
  return a.code == b.code && a.arg1 == b.arg1 && a.location == b.location;
}
inline std::ostream& operator<<(std::ostream& os, const SyntaxError& e) {
  return os << e.code << " [" << e.arg1 << "] location [" << e.location << "]";
}
