#include "viewer/RecentFileList.h"

#include <algorithm>

namespace {
std::string Entry(std::size_t index) { return "File" + std::to_string(index + 1); }
}  // namespace

std::vector<std::string> RecentFileList::Read() const {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < kSize; ++i) {
    const std::optional<std::string> path = m_profile.GetProfileString(kSection, Entry(i));
    if (path && !path->empty() && std::find(paths.begin(), paths.end(), *path) == paths.end())
      paths.push_back(*path);
  }
  return paths;
}

bool RecentFileList::Add(const std::string& path) const {
  std::vector<std::string> paths = Read();
  std::erase(paths, path);
  paths.insert(paths.begin(), path);
  return Write(paths);
}

bool RecentFileList::Remove(const std::string& path) const {
  std::vector<std::string> paths = Read();
  std::erase(paths, path);
  return Write(paths);
}

bool RecentFileList::Write(const std::vector<std::string>& paths) const {
  bool written = true;
  for (std::size_t i = 0; i < kSize; ++i)
    written = m_profile.WriteProfileString(kSection, Entry(i), i < paths.size() ? paths[i] : "") &&
              written;
  return written;
}
