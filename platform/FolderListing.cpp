#include "platform/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "platform/SystemError.h"
#include "platform/WildcardMatch.h"

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

DWORD AttributesOf(const std::string& name, bool found, const struct stat& info, bool link) {
  DWORD attributes = link ? FILE_ATTRIBUTE_REPARSE_POINT : 0;
  if (found && S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!found || (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))) attributes |= FILE_ATTRIBUTE_SYSTEM;
  if (name[0] == '.') attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD OpenError(int err) {
  return err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : WinErrorFromErrno(err);
}

// FOLDER as the system reaches it.
std::string SystemPath(const std::string& folder) {
  std::string path = folder.empty() ? "." : folder;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

DWORD FindFiles(const std::string& folder, const std::string& pattern,
                std::vector<FindData>& entries) {
  entries.clear();
  if (DWORD error = os::AskFileHook(os::FileCall::List, folder)) return error;
  if (DriveRootLength(folder) > 0) return ERROR_PATH_NOT_FOUND;
  const std::string path = SystemPath(folder);
  std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) return OpenError(errno);
  const int fd = ::dirfd(dir.get());
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || !MatchesWildcard(pattern, name)) continue;
    struct stat info {};
    struct stat own {};
    const bool found = ::fstatat(fd, name.c_str(), &info, 0) == 0;
    const bool link = ::fstatat(fd, name.c_str(), &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
    entries.push_back({AttributesOf(name, found, info, link),
                       found ? static_cast<std::uint64_t>(info.st_size) : 0, name,
                       found ? FileIdentity{info.st_dev, info.st_ino} : FileIdentity{}});
  }
  if (errno != 0) return WinErrorFromErrno(errno);
  std::sort(entries.begin(), entries.end(),
            [](const FindData& a, const FindData& b) { return a.name < b.name; });
  return entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat info {};
  if (DriveRootLength(path) > 0 || ::stat(SystemPath(path).c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino};
}

std::string ResolvedPath(const std::string& path) {
  if (DriveRootLength(path) > 0) return {};
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(SystemPath(path).c_str(), nullptr),
                                                             &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}
