#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "platform/PathSyntax.h"
#include "platform/SystemError.h"

namespace os {
namespace {

std::atomic<FileHook*> g_hook{nullptr};

// The path each open handle was opened with, for the hook's sake.
class OpenPaths {
 public:
  void Remember(FileHandle file, const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_paths[file] = path;
  }
  void Forget(FileHandle file) {
    std::lock_guard lock(m_mutex);
    m_paths.erase(file);
  }
  std::string PathOf(FileHandle file) {
    std::lock_guard lock(m_mutex);
    auto it = m_paths.find(file);
    return it == m_paths.end() ? std::string() : it->second;
  }

 private:
  std::mutex m_mutex;
  std::unordered_map<FileHandle, std::string> m_paths;
};

OpenPaths& Paths() {
  static OpenPaths paths;
  return paths;
}

DWORD AskHook(FileCall call, const std::string& path, std::size_t& count) {
  FileHook* hook = g_hook.load();
  return hook ? hook->BeforeCall(call, path, count) : ERROR_SUCCESS;
}

DWORD AskHook(FileCall call, FileHandle file, std::size_t& count) {
  FileHook* hook = g_hook.load();
  return hook ? hook->BeforeCall(call, Paths().PathOf(file), count) : ERROR_SUCCESS;
}

DWORD AskHook(FileCall call, const std::string& path) {
  std::size_t none = 0;
  return AskHook(call, path, none);
}

DWORD AskHook(FileCall call, FileHandle file) {
  std::size_t none = 0;
  return AskHook(call, file, none);
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

FileHandle FailOpen(DWORD error) {
  SetLastError(error);
  return INVALID_FILE_HANDLE;
}

// The path as this system spells it, or false for a drive or network path,
// which names nothing here.
bool SystemPath(const std::string& text, std::string& path) {
  if (DriveRootLength(text) > 0) return false;
  path = text;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return true;
}

enum class Kind { Missing, File, Folder, Other };

Kind KindOf(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return Kind::Missing;
  if (S_ISDIR(info.st_mode)) return Kind::Folder;
  return S_ISREG(info.st_mode) ? Kind::File : Kind::Other;
}

bool IsFolder(const std::string& path) { return KindOf(path) == Kind::Folder; }

// The Windows error of a failed call on PATH: a missing entry whose folder is
// missing too is "path not found", as the original platform tells them apart.
DWORD ErrorOf(int err, const std::string& path) {
  if (err == ENOENT) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
    if (!IsFolder(folder)) return ERROR_PATH_NOT_FOUND;
  }
  return WinErrorFromErrno(err);
}

int AccessFlags(DWORD access) {
  const bool read = access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA);
  const bool write = access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA);
  if (read && write) return O_RDWR;
  return write ? O_WRONLY : O_RDONLY;
}

// The open flags of a creation disposition, or -1 for an unknown one.
int DispositionFlags(DWORD disposition) {
  switch (disposition) {
    case CREATE_NEW: return O_CREAT | O_EXCL;
    case CREATE_ALWAYS: return O_CREAT | O_TRUNC;
    case OPEN_EXISTING: return 0;
    case OPEN_ALWAYS: return O_CREAT;
    case TRUNCATE_EXISTING: return O_TRUNC;
    default: return -1;
  }
}

bool Creates(DWORD disposition) {
  return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

int OpenRetrying(const std::string& path, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

std::string JoinName(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsPathSeparator(folder.back())) return folder + name;
  return folder + PreferredSeparator(folder) + name;
}

}  // namespace

FileHook* InstallFileHook(FileHook* hook) { return g_hook.exchange(hook); }

DWORD AskFileHook(FileCall call, const std::string& path) { return AskHook(call, path); }

FileHandle OpenFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  if (DWORD error = AskHook(FileCall::Open, path)) return FailOpen(error);
  const int dispositionFlags = DispositionFlags(disposition);
  if (dispositionFlags < 0) return FailOpen(ERROR_INVALID_PARAMETER);
  std::string systemPath;
  if (!SystemPath(path, systemPath)) {
    return FailOpen(Creates(disposition) ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
  }
  int openFlags = O_CLOEXEC | AccessFlags(access) | dispositionFlags;
  if (flags & FILE_FLAG_WRITE_THROUGH) openFlags |= O_DSYNC;
  const mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  // Opened without blocking, so that a pipe or device where a file is expected is
  // refused at once instead of waiting for a writer or a reader for ever.
  const int fd = OpenRetrying(systemPath, openFlags | O_NONBLOCK, mode);
  if (fd < 0) {
    const int err = errno;
    // A pipe opened for writing without a reader fails with ENXIO.
    if (err == ENXIO && KindOf(systemPath) == Kind::Other) return FailOpen(ERROR_BAD_FILE_TYPE);
    return FailOpen(ErrorOf(err, systemPath));
  }
  struct stat info;
  DWORD refusal = ERROR_SUCCESS;
  if (::fstat(fd, &info) != 0) refusal = WinErrorFromErrno(errno);
  else if (S_ISDIR(info.st_mode)) refusal = ERROR_DIRECTORY_NOT_SUPPORTED;
  else if (!S_ISREG(info.st_mode)) refusal = ERROR_BAD_FILE_TYPE;
  else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    refusal = WinErrorFromErrno(errno);
  if (refusal != ERROR_SUCCESS) {
    ::close(fd);
    return FailOpen(refusal);
  }
  Paths().Remember(fd, path);
  return fd;
}

bool ReadFile(FileHandle file, void* buffer, std::size_t count, std::size_t& done) {
  done = 0;
  std::size_t allowed = count;
  if (DWORD error = AskHook(FileCall::Read, file, allowed)) return Fail(error);
  auto* bytes = static_cast<char*>(buffer);
  while (done < allowed) {
    const ssize_t got = ::read(file, bytes + done, allowed - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail(WinErrorFromErrno(errno));
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool ReadFileAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t count,
                std::size_t& done) {
  done = 0;
  std::size_t allowed = count;
  if (DWORD error = AskHook(FileCall::Read, file, allowed)) return Fail(error);
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) return Fail(ERROR_SEEK);
  auto* bytes = static_cast<char*>(buffer);
  while (done < allowed) {
    const ssize_t got = ::pread(file, bytes + done, allowed - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail(WinErrorFromErrno(errno));
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteFile(FileHandle file, const void* buffer, std::size_t count) {
  std::size_t allowed = count;
  if (DWORD error = AskHook(FileCall::Write, file, allowed)) return Fail(error);
  const auto* bytes = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < allowed) {
    const ssize_t put = ::write(file, bytes + done, allowed - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return Fail(WinErrorFromErrno(errno));
    if (put == 0) break;
    done += static_cast<std::size_t>(put);
  }
  return done == count || Fail(ERROR_DISK_FULL);
}

bool SeekFile(FileHandle file, std::int64_t offset, DWORD origin, std::uint64_t& position) {
  if (DWORD error = AskHook(FileCall::Seek, file)) return Fail(error);
  if (origin > FILE_END) return Fail(ERROR_INVALID_PARAMETER);
  const int whence = origin == FILE_BEGIN ? SEEK_SET : origin == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  const off_t result = ::lseek(file, static_cast<off_t>(offset), whence);
  if (result < 0) return Fail(WinErrorFromErrno(errno));
  position = static_cast<std::uint64_t>(result);
  return true;
}

bool GetFileLength(FileHandle file, std::uint64_t& length) {
  if (DWORD error = AskHook(FileCall::Length, file)) return Fail(error);
  struct stat info;
  if (::fstat(file, &info) != 0) return Fail(WinErrorFromErrno(errno));
  length = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool SetFileLength(FileHandle file, std::uint64_t length) {
  if (DWORD error = AskHook(FileCall::SetLength, file)) return Fail(error);
  return ::ftruncate(file, static_cast<off_t>(length)) == 0 || Fail(WinErrorFromErrno(errno));
}

bool SetFileTimes(FileHandle file, std::time_t time) {
  if (DWORD error = AskHook(FileCall::SetTimes, file)) return Fail(error);
  const struct timespec times[2] = {{time, 0}, {time, 0}};
  return ::futimens(file, times) == 0 || Fail(WinErrorFromErrno(errno));
}

bool FlushFile(FileHandle file) {
  if (DWORD error = AskHook(FileCall::Flush, file)) return Fail(error);
  return ::fsync(file) == 0 || Fail(WinErrorFromErrno(errno));
}

bool MapFile(FileHandle file, std::uint64_t length, const std::uint8_t*& address) {
  address = nullptr;
  if (DWORD error = AskHook(FileCall::Map, file)) return Fail(error);
  if (length == 0 || length > SIZE_MAX) return Fail(ERROR_INVALID_PARAMETER);
  void* mapped = ::mmap(nullptr, static_cast<std::size_t>(length), PROT_READ, MAP_SHARED, file, 0);
  if (mapped == MAP_FAILED) return Fail(WinErrorFromErrno(errno));
  address = static_cast<const std::uint8_t*>(mapped);
  return true;
}

void UnmapFile(const std::uint8_t* address, std::uint64_t length) {
  ::munmap(const_cast<std::uint8_t*>(address), static_cast<std::size_t>(length));
}

bool CloseFile(FileHandle file) {
  const DWORD hookError = AskHook(FileCall::Close, file);
  Paths().Forget(file);
  // The handle is released whatever the outcome, so a failed close leaks nothing.
  const bool closed = ::close(file) == 0;
  if (!closed) return Fail(WinErrorFromErrno(errno));
  return hookError == ERROR_SUCCESS || Fail(hookError);
}

PathKind QueryPath(const std::string& path) {
  DWORD error = AskHook(FileCall::Query, path);
  std::string systemPath;
  struct stat info;
  if (!error && !SystemPath(path, systemPath)) error = ERROR_FILE_NOT_FOUND;
  if (!error && ::stat(systemPath.c_str(), &info) != 0) error = ErrorOf(errno, systemPath);
  if (error) {
    SetLastError(error);
    return PathKind::None;
  }
  return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
}

bool DeleteFile(const std::string& path) {
  if (DWORD error = AskHook(FileCall::Delete, path)) return Fail(error);
  std::string systemPath;
  if (!SystemPath(path, systemPath)) return Fail(ERROR_FILE_NOT_FOUND);
  if (::unlink(systemPath.c_str()) == 0) return true;
  // A folder is refused as the original platform refuses it.
  return Fail(errno == EISDIR ? ERROR_ACCESS_DENIED : ErrorOf(errno, systemPath));
}

bool RenameFile(const std::string& from, const std::string& to) {
  if (DWORD error = AskHook(FileCall::Rename, from)) return Fail(error);
  std::string source, target;
  if (!SystemPath(from, source)) return Fail(ERROR_FILE_NOT_FOUND);
  if (!SystemPath(to, target)) return Fail(ERROR_PATH_NOT_FOUND);
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return Fail(ErrorOf(errno, source));
  // A file system that cannot refuse to replace: look first.
  struct stat info;
  if (::lstat(target.c_str(), &info) == 0) return Fail(ERROR_ALREADY_EXISTS);
  return ::rename(source.c_str(), target.c_str()) == 0 || Fail(ErrorOf(errno, source));
}

bool CreateFolder(const std::string& path) {
  if (DWORD error = AskHook(FileCall::MakeFolder, path)) return Fail(error);
  std::string systemPath;
  if (!SystemPath(path, systemPath)) return Fail(ERROR_PATH_NOT_FOUND);
  return ::mkdir(systemPath.c_str(), 0777) == 0 || Fail(ErrorOf(errno, systemPath));
}

bool CreateTempFile(const std::string& folder, const std::string& prefix, std::string& path) {
  const auto seed = static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid());
  for (unsigned attempt = 0; attempt < 0x10000; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "%04X.tmp", (seed + attempt) & 0xFFFF);
    path = JoinName(folder, prefix + name);
    const FileHandle file = OpenFile(path, GENERIC_WRITE, CREATE_NEW, 0);
    if (file != INVALID_FILE_HANDLE) return CloseFile(file);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return Fail(ERROR_ALREADY_EXISTS);
}

std::string CurrentFolder() {
  if (FileHook* hook = g_hook.load()) {
    std::string pretended = hook->CurrentFolder();
    if (!pretended.empty()) return pretended;
  }
  std::string folder(256, '\0');
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) {
      SetLastErrorFromErrno();
      return {};
    }
    folder.resize(folder.size() * 2);
  }
  folder.resize(folder.find('\0'));
  return folder;
}

}  // namespace os
