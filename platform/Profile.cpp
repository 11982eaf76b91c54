#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/IniDocument.h"
#include "platform/RegistryControl.h"
#include "platform/SystemError.h"

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A file descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

// Reads the whole file at PATH into TEXT; a missing file reads as empty (MISSING set).
bool ReadWhole(const std::string& path, std::string* text, bool* missing) {
  text->clear();
  *missing = false;
  const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    SetLastErrorFromErrno();
    *missing = errno == ENOENT || errno == ENOTDIR;
    return *missing;
  }
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(file.Get(), chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno();
      return false;
    }
    text->append(chunk, static_cast<std::size_t>(got));
  }
}

bool WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// Replaces the file at PATH by TEXT: a temporary file beside it, flushed, renamed
// over it. The old file's permissions carry over.
bool ReplaceFile(const std::string& path, const std::string& text) {
  std::string temporary = FolderOf(path) + "/.vxst-profile-XXXXXX";
  const Descriptor file(mkstemp(temporary.data()));
  if (file.Get() < 0) return SetLastErrorFromErrno(), false;
  struct stat old {};
  mode_t mode = 0644;
  if (stat(path.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  const bool written = WriteAll(file.Get(), text) && fchmod(file.Get(), mode) == 0 && fsync(file.Get()) == 0 &&
                       rename(temporary.c_str(), path.c_str()) == 0;
  if (!written) {
    SetLastErrorFromErrno();
    unlink(temporary.c_str());
  }
  return written;
}

// Runs CHANGE on the document of FILE and writes it back when it changed. Writers
// in one folder hold its lock in turn, so no change of another is lost.
BOOL ChangeProfile(const char* file, const std::function<bool(IniDocument&)>& change) {
  if (!file || !*file) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  const std::string path = ProfileFilePath(file);
  const std::string folder = FolderOf(path);
  if (file[0] != '/' && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return SetLastErrorFromErrno(), FALSE;
  }
  const Descriptor lock(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (lock.Get() < 0 || flock(lock.Get(), LOCK_EX) != 0) return SetLastErrorFromErrno(), FALSE;
  std::string text;
  bool missing = false;
  if (!ReadWhole(path, &text, &missing)) return FALSE;
  IniDocument document(text);
  if (!change(document)) return TRUE;
  return ReplaceFile(path, document.Text()) ? TRUE : FALSE;
}

IniDocument LoadProfile(const char* file) {
  std::string text;
  bool missing = false;
  if (file && *file) ReadWhole(ProfileFilePath(file), &text, &missing);
  return IniDocument(text);
}

DWORD CopyText(std::string_view text, char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

DWORD CopyList(const std::vector<std::string>& items, char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  if (size < 2) return buffer[0] = '\0', 0;
  std::size_t used = 0;
  for (const std::string& item : items) {
    if (used + item.size() + 2 > size) {  // the item, its zero and the list's zero
      // The item before may have filled all but the last byte: then nothing of
      // this one fits.
      const std::size_t room = used < size - 2 ? size - 2 - used : 0;
      std::memcpy(buffer + used, item.data(), room);
      buffer[size - 2] = '\0';
      buffer[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(buffer + used, item.c_str(), item.size() + 1);
    used += item.size() + 1;
  }
  buffer[used] = '\0';
  return static_cast<DWORD>(used);
}

bool BreaksLines(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool ValidSection(std::string_view section) {
  return !section.empty() && !BreaksLines(section) && section.find(']') == std::string_view::npos;
}

bool ValidKey(std::string_view key) {
  return !key.empty() && !BreaksLines(key) && key.find('=') == std::string_view::npos &&
         key.front() != '[' && key.front() != ';' && key.front() != '#' && key.front() != ' ' &&
         key.back() != ' ';
}

}  // namespace

std::string ProfileFilePath(std::string_view file) {
  std::string path(file);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!path.empty() && path.front() == '/') return path;
  return FolderOf(RegistryHivePath(RegistryHiveKind::User)) + "/" + path;
}

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText, char* buffer,
                               DWORD size, const char* file) {
  const IniDocument document = LoadProfile(file);
  if (!section) return CopyList(document.SectionNames(), buffer, size);
  if (!key) return CopyList(document.Keys(section), buffer, size);
  if (const std::optional<std::string> value = document.Value(section, key)) {
    return CopyText(*value, buffer, size);
  }
  std::string_view fallback = defaultText ? defaultText : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return CopyText(fallback, buffer, size);
}

DWORD GetPrivateProfileSectionA(const char* section, char* buffer, DWORD size, const char* file) {
  return CopyList(section ? LoadProfile(file).Entries(section) : std::vector<std::string>{}, buffer, size);
}

DWORD GetPrivateProfileSectionNamesA(char* buffer, DWORD size, const char* file) {
  return CopyList(LoadProfile(file).SectionNames(), buffer, size);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* text, const char* file) {
  if (!section || !ValidSection(section) || (key && !ValidKey(key)) || (text && BreaksLines(text))) {
    return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  }
  return ChangeProfile(file, [&](IniDocument& document) {
    if (!key) return document.DeleteSection(section);
    if (!text) return document.DeleteKey(section, key);
    return document.SetValue(section, key, text);
  });
}

BOOL WritePrivateProfileSectionA(const char* section, const char* lines, const char* file) {
  if (!section || !ValidSection(section)) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  std::vector<std::string> entries;
  for (const char* line = lines; line && *line; line += std::strlen(line) + 1) {
    if (BreaksLines(line) || *line == '[') return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
    entries.emplace_back(line);
  }
  return ChangeProfile(file, [&](IniDocument& document) {
    return lines ? document.ReplaceSection(section, entries) : document.DeleteSection(section);
  });
}
