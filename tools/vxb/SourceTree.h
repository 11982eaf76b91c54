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
// written and its temporary, when they lie in the tree) are left out; so is,
// with a warning on CONSOLE, anything that is no regular file (pipes, devices,
// links to nothing, circles of links) or whose name could not be found or
// extracted again (not UTF-8, "\", control characters, a path too long). An
// unreadable folder throws its file error.
std::vector<SourceFile> ScanSourceTree(const std::string& root,
                                       const std::vector<std::string>& excluded, Console& console);

}  // namespace vxb
