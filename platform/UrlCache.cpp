#include "platform/UrlCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>

#include "platform/SystemError.h"
#include "platform/SystemTime.h"
#include "platform/UrlCacheIndex.h"

namespace {

constexpr const char* kIndexName = "index";
constexpr const char* kIndexTempName = "index.tmp";
constexpr const char* kLockName = "lock";
// A reserved file that was never committed is taken as abandoned after an hour;
// an expired entry is still deleted on request for an hour before the cache
// deletes it itself.
constexpr std::uint64_t kGracePeriod = 3600 * kFileTimeUnitsPerSecond;

std::atomic<bool> g_accessRefused{false};

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL FailFromErrno() {
  SetLastErrorFromErrno();
  return FALSE;
}

std::uint64_t Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeToUInt64(now);
}

std::string NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Creates every missing folder of PATH; false with errno set on failure.
bool MakeFolders(const std::string& path) {
  for (std::size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  text.clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  char buf[16384];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  int err = errno;
  close(fd);
  errno = err;
  return n == 0;
}

bool WriteWholeFile(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string RandomStem() {
  thread_local std::mt19937_64 engine{std::random_device{}() ^
                                      (static_cast<std::uint64_t>(getpid()) << 32) ^ Now()};
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(engine()));
  return buf;
}

// One operation on the cache: the folder exists, its lock is held and its index
// loaded until the session ends.
class CacheSession {
 public:
  CacheSession() : m_folder(GetUrlCacheFolder()) {}
  ~CacheSession() {
    if (m_lock >= 0) close(m_lock);  // closing releases the lock
  }
  CacheSession(const CacheSession&) = delete;
  CacheSession& operator=(const CacheSession&) = delete;

  // Takes the lock and loads the index; false with the last error set.
  bool Open() {
    if (!MakeFolders(m_folder)) return FailFromErrno();
    m_lock = open(PathOf(kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock < 0 || flock(m_lock, LOCK_EX) != 0) return FailFromErrno();
    std::string text;
    if (!ReadWholeFile(PathOf(kIndexName), text)) return FailFromErrno();
    records = ParseUrlCacheIndex(text);
    return TRUE;
  }

  // Writes the index to a temporary file and renames it over the old one, so a
  // reader sees either the old or the new index, never a part of one. (No sync to
  // disk: an index lost in a crash only makes the cache forget its files.)
  bool Save() {
    std::string temp = PathOf(kIndexTempName);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return FailFromErrno();
    bool written = WriteWholeFile(fd, FormatUrlCacheIndex(records));
    int err = errno;
    close(fd);
    if (!written || rename(temp.c_str(), PathOf(kIndexName).c_str()) != 0) {
      if (written) err = errno;
      unlink(temp.c_str());
      errno = err;
      return FailFromErrno();
    }
    return TRUE;
  }

  std::string PathOf(const std::string& name) const { return m_folder + '/' + name; }

  // The record of a full path in this folder, if the cache made that file.
  UrlCacheRecord* RecordOfPath(std::string_view path) {
    std::string prefix = m_folder + '/';
    if (path.substr(0, prefix.size()) != prefix) return nullptr;
    return RecordOfFile(path.substr(prefix.size()));
  }

  UrlCacheRecord* RecordOfFile(std::string_view name) {
    auto it = std::find_if(records.begin(), records.end(),
                           [&](const UrlCacheRecord& r) { return r.file == name; });
    return it == records.end() ? nullptr : &*it;
  }

  UrlCacheRecord* CommittedRecordOf(std::string_view url) {
    auto it = std::find_if(records.begin(), records.end(), [&](const UrlCacheRecord& r) {
      return r.committed && r.url == url;
    });
    return it == records.end() ? nullptr : &*it;
  }

  // Deletes the file of a record; a file that is gone already counts as deleted.
  bool RemoveFile(const std::string& name) {
    return unlink(PathOf(name).c_str()) == 0 || errno == ENOENT;
  }

  // Drops the records whose time is up (entries expired for longer than the grace
  // period, abandoned reservations) together with their files. A file that cannot
  // be deleted keeps its record.
  void DropOutdated(std::uint64_t now) {
    std::erase_if(records, [&](const UrlCacheRecord& r) {
      bool outdated = r.committed ? (r.expire != 0 && r.expire + kGracePeriod <= now)
                                  : (r.created + kGracePeriod <= now);
      return outdated && RemoveFile(r.file);
    });
  }

  // Deletes files of the cache's own naming that no record names.
  void DropForgottenFiles() {
    DIR* dir = opendir(m_folder.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (IsCacheFileName(name) && !RecordOfFile(name)) RemoveFile(name);
    }
    closedir(dir);
  }

  std::vector<UrlCacheRecord> records;

 private:
  std::string m_folder;
  int m_lock = -1;
};

// Reserves a new file of the cache's naming in the session's folder.
std::optional<std::string> ReserveFile(CacheSession& session, const std::string& extension) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = RandomStem();
    if (!extension.empty()) name += '.' + extension;
    int fd = open(session.PathOf(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  SetLastErrorFromErrno();
  return std::nullopt;
}

}  // namespace

std::string GetUrlCacheFolder() {
  std::string folder = NonEmptyEnv("VXST_CACHE_DIR");
  if (folder.empty()) {
    std::string base = NonEmptyEnv("XDG_CACHE_HOME");
    if (base.empty() || base[0] != '/') base = NonEmptyEnv("HOME") + "/.cache";
    folder = WithoutTrailingSlashes(base) + "/vexost/urlcache";
  }
  return WithoutTrailingSlashes(folder);
}

void SetUrlCacheAccessRefused(bool refused) { g_accessRefused = refused; }

BOOL CreateUrlCacheEntryA(const char* url, DWORD, const char* fileExtension, char* fileName,
                          DWORD) {
  if (!url || !*url || !fileName) return Fail(ERROR_INVALID_PARAMETER);
  if (g_accessRefused) return Fail(ERROR_ACCESS_DENIED);
  CacheSession session;
  if (!session.Open()) return FALSE;
  std::uint64_t now = Now();
  session.DropOutdated(now);
  session.DropForgottenFiles();
  std::string extension = SanitizeCacheExtension(fileExtension ? fileExtension : "");
  // Stem, dot and extension must fit the caller's buffer with the folder.
  std::size_t length = session.PathOf(std::string(16, 'x')).size() +
                       (extension.empty() ? 0 : extension.size() + 1);
  if (length >= URL_CACHE_FILE_NAME_SIZE) return Fail(ERROR_FILENAME_EXCED_RANGE);
  std::optional<std::string> name = ReserveFile(session, extension);
  if (!name) return FALSE;
  session.records.push_back(UrlCacheRecord{*name, url, false, now, 0, 0, 0});
  if (!session.Save()) {
    session.RemoveFile(*name);
    return FALSE;
  }
  std::string path = session.PathOf(*name);
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  return TRUE;
}

BOOL CommitUrlCacheEntryA(const char* url, const char* localFileName, FILETIME expireTime,
                          FILETIME lastModifiedTime, DWORD cacheEntryType, BYTE*, DWORD,
                          const char*, const char*) {
  if (!url || !*url || !localFileName) return Fail(ERROR_INVALID_PARAMETER);
  if (g_accessRefused) return Fail(ERROR_ACCESS_DENIED);
  CacheSession session;
  if (!session.Open()) return FALSE;
  session.DropOutdated(Now());
  UrlCacheRecord* record = session.RecordOfPath(localFileName);
  if (!record) return Fail(ERROR_INVALID_PARAMETER);
  if (access(localFileName, F_OK) != 0) return Fail(ERROR_FILE_NOT_FOUND);
  std::string file = record->file;
  // An earlier entry of the URL (with another file) gives way to this one.
  std::erase_if(session.records, [&](const UrlCacheRecord& r) {
    return r.committed && r.url == url && r.file != file && session.RemoveFile(r.file);
  });
  record = session.RecordOfFile(file);
  record->url = url;
  record->committed = true;
  record->expire = FileTimeToUInt64(expireTime);
  record->lastModified = FileTimeToUInt64(lastModifiedTime);
  record->entryType = cacheEntryType;
  return session.Save();
}

BOOL DeleteUrlCacheEntryA(const char* url) {
  if (!url || !*url) return Fail(ERROR_INVALID_PARAMETER);
  if (g_accessRefused) return Fail(ERROR_ACCESS_DENIED);
  CacheSession session;
  if (!session.Open()) return FALSE;
  session.DropOutdated(Now());
  UrlCacheRecord* record = session.CommittedRecordOf(url);
  if (!record) {
    session.Save();
    return Fail(ERROR_FILE_NOT_FOUND);
  }
  if (!session.RemoveFile(record->file)) return FailFromErrno();
  std::string file = record->file;
  std::erase_if(session.records, [&](const UrlCacheRecord& r) { return r.file == file; });
  return session.Save();
}

BOOL GetUrlCacheEntryInfo(const char* url, UrlCacheEntryInfo* info) {
  if (!url || !info) return Fail(ERROR_INVALID_PARAMETER);
  CacheSession session;
  if (!session.Open()) return FALSE;
  const UrlCacheRecord* record = session.CommittedRecordOf(url);
  if (!record || (record->expire != 0 && record->expire <= Now()))
    return Fail(ERROR_FILE_NOT_FOUND);
  info->localFileName = session.PathOf(record->file);
  info->expireTime = FileTimeFromUInt64(record->expire);
  info->lastModifiedTime = FileTimeFromUInt64(record->lastModified);
  info->cacheEntryType = record->entryType;
  return TRUE;
}
