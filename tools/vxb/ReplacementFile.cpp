#include "tools/vxb/ReplacementFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <utility>

#include "base/KelException.h"
#include "base/KelFile.h"
#include "platform/SystemError.h"

namespace stow {

namespace {

constexpr std::uint32_t kCannotCreate = 1004;  // "file %1 cannot be created"
constexpr std::uint32_t kGenericFatal = 1000;  // the text travels in argument 1
constexpr std::size_t kUniqueLength = 6;       // the characters mkstemp puts in place of XXXXXX
// An empty temporary younger than this may belong to a writer that has not
// locked it yet.
constexpr std::time_t kFreshSeconds = 60;

[[noreturn]] void ThrowAbout(const std::string& path, std::uint32_t code, DWORD systemError) {
  const CKelFile file(path);
  CKelFile::ThrowFileError(file, code, systemError);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The temporaries that signals remove: fixed storage that a signal handler can
// read without allocating.
struct SignalSlot {
  std::atomic<bool> used{false};
  std::atomic<bool> ready{false};
  char path[PATH_MAX];
};
std::array<SignalSlot, 8> g_slots;

int Register(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (std::size_t i = 0; i < g_slots.size(); ++i) {
    bool expected = false;
    if (!g_slots[i].used.compare_exchange_strong(expected, true)) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    g_slots[i].ready.store(true);
    return static_cast<int>(i);
  }
  return -1;
}

void Unregister(int slot) {
  if (slot < 0) return;
  g_slots[static_cast<std::size_t>(slot)].ready.store(false);
  g_slots[static_cast<std::size_t>(slot)].used.store(false);
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[std::size(kSignals)];
bool g_installed[std::size(kSignals)];

void RemoveTemporariesAndDie(int signal) {
  for (SignalSlot& slot : g_slots) {
    if (slot.ready.load()) ::unlink(slot.path);
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// Whether the open file FD holds what a writer's temporary holds before its
// rename: nothing yet, zeros where the header will go, or the header's marks.
bool LooksLikeTemporary(int fd, const struct stat& info) {
  if (info.st_size == 0) return std::time(nullptr) - info.st_mtime > kFreshSeconds;
  unsigned char head[16] = {};
  if (::pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head)) return false;
  const bool zeros =
      std::all_of(std::begin(head), std::end(head), [](unsigned char b) { return b == 0; });
  const bool marks =
      head[0] == 0x1A && head[1] == 0xFF && std::memcmp(head + 8, "VEXOBIFF", 8) == 0;
  return zeros || marks;
}

bool IsUniquePart(const std::string& text) {
  return text.size() == kUniqueLength && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
         });
}

}  // namespace

void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefix = NameOf(target) + ".";
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (!name.starts_with(prefix) || !IsUniquePart(name.substr(prefix.size()))) continue;
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    // A writer that is alive holds the lock of its temporary.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        LooksLikeTemporary(fd, info)) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
}

ReplacementFile::ReplacementFile(const std::string& target, bool replaceReadOnly)
    : m_target(target) {
  CheckTarget(replaceReadOnly);
  RemoveStaleTemporaries(m_target);
  CreateTemporary();
}

ReplacementFile::~ReplacementFile() {
  Unregister(m_slot);
  if (m_lock >= 0) {
    ::unlink(m_temporary.c_str());
    ::close(m_lock);
  }
}

void ReplacementFile::CheckTarget(bool replaceReadOnly) {
  struct stat info;
  if (::lstat(m_target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    // The file a link leads to is replaced, not the link.
    if (char* resolved = ::realpath(m_target.c_str(), nullptr)) {
      m_target = resolved;
      std::free(resolved);
    }
  }
  if (::stat(m_target.c_str(), &info) != 0) {
    if (errno != ENOENT && errno != ENOTDIR)
      ThrowAbout(m_target, kCannotCreate, WinErrorFromErrno(errno));
    const std::string folder = FolderOf(m_target);
    struct stat folderInfo;
    if (::stat(folder.c_str(), &folderInfo) != 0)
      ThrowAbout(folder, kCannotCreate, ERROR_PATH_NOT_FOUND);
    if (!S_ISDIR(folderInfo.st_mode)) ThrowAbout(folder, kCannotCreate, ERROR_DIRECTORY);
    return;
  }
  if (S_ISDIR(info.st_mode)) ThrowAbout(m_target, kCannotCreate, ERROR_DIRECTORY_NOT_SUPPORTED);
  if (!S_ISREG(info.st_mode)) ThrowAbout(m_target, kCannotCreate, ERROR_BAD_FILE_TYPE);
  const bool readOnly = (info.st_mode & S_IWUSR) == 0 || ::access(m_target.c_str(), W_OK) != 0;
  if (readOnly && !replaceReadOnly) {
    const CKelFile file(m_target);
    throw new CKelException(kGenericFatal, "file %1 is read-only; --force replaces it",
                            file.DisplayForm(0, vxs::kDisplayRelative));
  }
  m_replaced = Owner{info.st_mode & 07777, info.st_uid, info.st_gid};
}

void ReplacementFile::CreateTemporary() {
  std::string temporary = m_target + "." + std::string(kUniqueLength, 'X');
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) ThrowAbout(m_target, kCannotCreate, SetLastErrorFromErrno());
  m_temporary = std::move(temporary);
  m_lock = fd;
  ::flock(m_lock, LOCK_EX);
  m_slot = Register(m_temporary);
}

void ReplacementFile::Commit() {
  mode_t mode;
  if (m_replaced) {
    mode = m_replaced->mode;
    // Only root may give a file away; a user's own file keeps its owner anyway.
    if (::fchown(m_lock, m_replaced->user, m_replaced->group) != 0 && errno != EPERM) {
      ThrowAbout(m_temporary, kCannotCreate, SetLastErrorFromErrno());
    }
  } else {
    // The mode of any new file, not the private one of mkstemp.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(m_lock, mode) != 0) ThrowAbout(m_temporary, kCannotCreate, SetLastErrorFromErrno());
  if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
    ThrowAbout(m_target, kCannotCreate, SetLastErrorFromErrno());
  Unregister(std::exchange(m_slot, -1));
  ::close(std::exchange(m_lock, -1));
}

TemporariesRemovedOnSignals::TemporariesRemovedOnSignals() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporariesAndDie;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    g_installed[i] = false;
    if (::sigaction(kSignals[i], nullptr, &g_previous[i]) != 0) continue;
    // A signal the caller ignores (nohup) stays ignored.
    if (g_previous[i].sa_handler == SIG_IGN) continue;
    g_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

TemporariesRemovedOnSignals::~TemporariesRemovedOnSignals() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (g_installed[i]) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  }
}

}  // namespace stow
