// Runs vxb in-process for the tests, with standard output and error captured.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/tests/TempFolder.h"
#include "tools/vxb/VxbTool.h"

namespace vxb_tests {

struct Outcome {  // of one run of vxb
  int status;
  std::string out;
  std::string err;
};

inline Outcome Vxb(std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunVxb(args, out, err, false);
  return {status, out.str(), err.str()};
}

// Writes BYTES to PATH below ROOT, making its folders.
inline void WriteFile(const std::string& root, const std::string& path, const std::string& bytes) {
  const std::filesystem::path file = std::filesystem::path(root) / path;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

inline std::string RandomBytes(std::size_t size, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

inline std::string TextBytes(std::size_t size, unsigned seed = 2) {
  static const char* const words[] = {"<p>The ", "archive ", "holds ", "topics ", "in chunks", ".</p>\n"};
  std::mt19937 random(seed);
  std::string bytes;
  while (bytes.size() < size) bytes += words[random() % 6];
  bytes.resize(size);
  return bytes;
}

// Every file below ROOT with its bytes, by path relative to ROOT.
inline std::map<std::string, std::string> TreeOf(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      files[std::filesystem::relative(entry.path(), root).string()] = TempFolder::ReadAll(entry.path().string());
  }
  return files;
}

}  // namespace vxb_tests
