#include "reader/ReaderModule.h"

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

std::string VersionText(long version) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld.%02ld", version / 100, version % 100);
  return text;
}

std::string ModuleFilePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) || !info.dli_fname) return {};
  char full[PATH_MAX];
  return realpath(info.dli_fname, full) ? full : info.dli_fname;
}

}  // namespace

std::string FolderOfPath(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

const ReaderModuleInfo& ReaderModuleInfo::Current() {
  static const ReaderModuleInfo info = [] {
    ReaderModuleInfo m;
    m.version = VersionText(kReaderModuleVersion);
    m.path = ModuleFilePath();
    m.folder = FolderOfPath(m.path);
    return m;
  }();
  return info;
}
