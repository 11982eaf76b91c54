// What the fuzz targets share: a scratch folder for inputs that must be files,
// and the rule that the system's own errors are expected outcomes while anything
// else (a crash, a sanitizer report, a stray exception type) is a finding.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "base/KelException.h"

namespace fuzz {

// The input as text (bytes as they are).
inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process, removed at exit.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    // Memory-backed where there is such a folder: the registry and the profile
    // functions flush every write, which a disk makes slow.
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "vxst-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    static const std::string kept = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(kept, ignored);
    });
    return pattern;
  }();
  return folder;
}

// Writes BYTES to the file NAME of the scratch folder and returns its path.
inline std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchFolder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::abort();
  return path;
}

// Runs CALL; the system's own errors (thrown by pointer or as vxs::Exception)
// are ordinary results and end it. Returns false when one was thrown.
template <class Call>
bool Expected(Call&& call) {
  try {
    call();
    return true;
  } catch (CException* e) {
    delete e;
  } catch (const vxs::Exception&) {
  }
  return false;
}

// Reads a little-endian number of BYTES bytes from the front of the input, or 0
// when it is used up, and drops those bytes.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  std::uint32_t Number(unsigned bytes) {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < bytes && m_size > 0; ++i, ++m_data, --m_size)
      value |= std::uint32_t{*m_data} << (8 * i);
    return value;
  }
  bool Flag() { return Number(1) & 1; }
  // Up to the next zero byte (dropped) or the end: a text that holds no zero.
  std::string Piece() {
    std::string text;
    while (m_size > 0) {
      const char c = static_cast<char>(*m_data++);
      --m_size;
      if (c == '\0') break;
      text += c;
    }
    return text;
  }
  std::string_view Rest() const { return Text(m_data, m_size); }
  bool Empty() const { return m_size == 0; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
};

}  // namespace fuzz
