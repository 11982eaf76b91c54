// The result of ParseFileSpecList: a base folder, the subfolder flag and the
// name patterns that follow it (the input of CKelFileTreeScan::Prepare).
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"

struct CKelFileSpecEntry {
  // Kind bits kept from the file spec (see ReadFileSpec), and the scan's marks.
  static constexpr DWORD kWildcards = 0x100;
  static constexpr DWORD kReportedMissing = 0x800;
  static constexpr DWORD kNeverSearched = 0x1000;
  static constexpr DWORD kStoredKinds = kWildcards | kReportedMissing | kNeverSearched;

  DWORD kind = 0;
  std::string text;  // a name pattern such as *.vxb, without folder
};

struct CKelFileSpecList {
  static constexpr DWORD kSubfolders = 0x4000;  // search subfolders too

  DWORD flags = 0;
  std::string baseFolder;
  std::vector<CKelFileSpecEntry> entries;

  void Clear() {
    flags = 0;
    baseFolder.clear();
    entries.clear();
  }
};
