// Scripted file-system failures: a FileHook that makes chosen calls fail or come
// up short, pretends a current folder and counts the calls it sees. It installs
// itself for its lifetime. Tests run as root, where file modes refuse nothing, so
// refused access, full disks and short reads are made here instead.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

struct FileFault {
  os::FileCall call;
  std::string pathPart;               // paths that contain this text; empty: every path
  DWORD error = ERROR_SUCCESS;        // fail with this Windows error, or else
  std::size_t limit = SIZE_MAX;       // let a read or write move at most this many bytes
  unsigned skip = 0;                  // let this many matching calls pass first
  unsigned times = UINT_MAX;          // then act on this many calls
};

class FileFaults : public os::FileHook {
 public:
  FileFaults();
  ~FileFaults() override;
  FileFaults(const FileFaults&) = delete;
  FileFaults& operator=(const FileFaults&) = delete;

  void Add(FileFault fault);
  void PretendCurrentFolder(std::string folder);
  // How many calls of this kind were made while installed (failed ones included).
  unsigned Count(os::FileCall call) const;

  DWORD BeforeCall(os::FileCall call, const std::string& path, std::size_t& count) override;
  std::string CurrentFolder() override;

 private:
  struct Rule {
    FileFault fault;
    unsigned seen = 0;
  };
  mutable std::mutex m_mutex;
  std::vector<Rule> m_rules;
  std::map<os::FileCall, unsigned> m_counts;
  std::string m_currentFolder;
  os::FileHook* m_previous;
};
