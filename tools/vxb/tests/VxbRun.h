// Runs vxb in-process for the tests, with standard output and error captured.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "archive/tests/ArchiveFixture.h"
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

using archive_tests::RandomBytes;
using archive_tests::TextBytes;

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
