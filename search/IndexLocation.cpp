#include "search/IndexLocation.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/PathText.h"
#include "platform/FileSystem.h"
#include "platform/UrlCache.h"

namespace search {

namespace {

// FNV-1a: stable across builds and machines, unlike std::hash.
std::uint64_t HashOf(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

bool ArchiveIdentity::Matches(const ArchiveIdentity& other) const {
  return path == other.path && size == other.size && modified == other.modified &&
         (name.empty() || other.name.empty() || name == other.name);
}

std::optional<ArchiveIdentity> IdentityOfFile(const std::string& path) {
  const std::string full = vxs::FullPath(path, os::CurrentFolder());
  struct stat status {};
  if (::stat(full.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  ArchiveIdentity identity;
  identity.path = full;
  identity.size = static_cast<std::uint64_t>(status.st_size);
  identity.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 +
                      status.st_mtim.tv_nsec;
  return identity;
}

std::string IndexFolder() {
  const std::string cache = GetUrlCacheFolder();
  const std::size_t slash = cache.rfind('/');
  return (slash == std::string::npos ? std::string(".") : cache.substr(0, slash)) + "/search";
}

std::string IndexPathOf(const std::string& archivePath, const std::string& folder) {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.idx",
                static_cast<unsigned long long>(HashOf(vxs::FullPath(archivePath, os::CurrentFolder()))));
  return folder + "/" + name;
}

}  // namespace search
