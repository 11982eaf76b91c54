// The files of a folder tree that vxb packs, each with its topic path: its path
// below the folder, "/" between folder names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/vxb/Console.h"

namespace vxb {

struct SourceFile {
  std::string topicPath;
  std::string path;  // where to read it
  std::uint64_t size;
};

// Lists the regular files below ROOT. Links are followed, to files and folders,
// but never into a folder that encloses them; EXCLUDED (the archive being
// written, when it lies in the tree) is left out; anything else (pipes, devices,
// circles of links) is left out with a warning on CONSOLE. An unreadable folder
// throws its file error.
std::vector<SourceFile> ScanSourceTree(const std::string& root, const std::string& excluded,
                                       Console& console);

}  // namespace vxb
