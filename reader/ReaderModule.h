// What the reader module tells about itself on its pages: version, where its file
// lies, and the year of its build.
#pragma once

#include <string>

// The module version as the reader control reports it (4.11).
inline constexpr long kReaderModuleVersion = 411;
// The year the pages name in their footer.
inline constexpr int kReaderBuildYear = 2004;

struct ReaderModuleInfo {
  std::string version;  // "4.11", by the foundation's version formatting
  std::string path;     // full path of the module file
  std::string folder;   // its folder (drive and folder part of the path)
  int buildYear = kReaderBuildYear;

  // The module this code is linked into (the shared library, or the program that
  // links the reader statically).
  static const ReaderModuleInfo& Current();
};
