// What the reader module tells about itself on its pages: version, where its file
// lies, and the year of its build.
#pragma once

#include <string>

// The module version as the reader control reports it (4.11).
inline constexpr long kReaderModuleVersion = 411;
// The year the pages name in their footer.
inline constexpr int kReaderBuildYear = 2004;

struct ReaderModuleInfo {
  std::string version;  // "4.11"
  std::string path;     // full path of the module file
  std::string folder;   // its folder ("/" for the root)
  int buildYear = kReaderBuildYear;

  // The module this code is linked into (the shared library, or the program that
  // links the reader statically).
  static const ReaderModuleInfo& Current();
};

// The folder part of PATH: up to its last '/', "/" for a file in the root, "" for
// a path without folder.
std::string FolderOfPath(const std::string& path);
