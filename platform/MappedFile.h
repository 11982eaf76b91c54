// Read-only views of files in memory, for data that is read often and at random
// places (the topic names of a large archive). Nothing is copied: the pages come
// from the system's file cache as they are first touched, and every process that
// maps the same file shares them.
//
// Touching a page that cannot be read - the file was cut short after it was
// mapped, or its storage failed - raises SIGBUS, which would end the process.
// Every access to mapped memory therefore runs inside ReadMapped, which turns that
// signal into a false result.
#pragma once

#include <csetjmp>
#include <cstdint>

#include "platform/FileSystem.h"

namespace os {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() { Unmap(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps the first LENGTH (at least 1) bytes of FILE, open for reading, in place of
  // any earlier mapping; false, with the last error set, when the system (or the
  // file hook) refuses.
  bool Map(FileHandle file, std::uint64_t length);
  void Unmap();

  bool IsMapped() const { return m_data != nullptr; }
  const std::uint8_t* Data() const { return m_data; }
  std::uint64_t Size() const { return m_size; }

 private:
  const std::uint8_t* m_data = nullptr;
  std::uint64_t m_size = 0;
};

namespace mapped_detail {
// The jump target of the innermost ReadMapped of the calling thread, or none.
sigjmp_buf*& CurrentGuard();
}  // namespace mapped_detail

// Runs ACCESS(), which reads mapped memory, and returns true; returns false, with
// ACCESS abandoned where it stood, when a page it touched could not be read.
// Since it may be abandoned, ACCESS must own nothing that needs destroying (no
// strings, no allocations); an exception it throws passes through as usual.
template <class Access>
bool ReadMapped(Access&& access) {
  sigjmp_buf*& guard = mapped_detail::CurrentGuard();
  sigjmp_buf* const outer = guard;
  sigjmp_buf jump;
  // The signal mask is not saved: the handler runs with SIGBUS unblocked.
  if (sigsetjmp(jump, 0) != 0) {
    guard = outer;
    return false;
  }
  guard = &jump;
  try {
    access();
  } catch (...) {
    guard = outer;
    throw;
  }
  guard = outer;
  return true;
}

}  // namespace os
