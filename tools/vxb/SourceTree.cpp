#include "tools/vxb/SourceTree.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "archive/TopicName.h"
#include "base/KelFile.h"
#include "platform/SystemError.h"
#include "tools/vxb/TopicPathCheck.h"

namespace vxb {

namespace {

struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId&) const = default;
};

FileId IdOf(const struct stat& info) { return {info.st_dev, info.st_ino}; }

constexpr std::size_t kLongestTopicPath = 0xFFFF;  // UTF-16 units: the name length is a u16

[[noreturn]] void ThrowFolderError(const std::string& folder, DWORD system) {
  CKelFile file(folder);
  CKelFile::ThrowFileError(file, 1016, system);
}

[[noreturn]] void ThrowFolderError(const std::string& folder, int error) {
  // A folder that is not there reads "folder not found", not "file not found".
  ThrowFolderError(folder, error == ENOENT ? ERROR_PATH_NOT_FOUND : WinErrorFromErrno(error));
}

// Why NAME cannot be part of a topic path, or nullptr.
const char* BadName(const std::string& name) {
  if (stow::Utf16ToUtf8(stow::Utf8ToUtf16(name)) != name) return "its name is not UTF-8";
  return UnsafeTopicName(name);
}

class TreeScan {
 public:
  TreeScan(const std::vector<std::string>& excluded, Console& console) : m_console(console) {
    for (const std::string& path : excluded) {
      struct stat info;
      if (stat(path.c_str(), &info) == 0) m_excluded.push_back(IdOf(info));
    }
  }

  void ScanFolder(const std::string& folder, const std::string& topicFolder) {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) ThrowFolderError(folder, errno);
    if (!S_ISDIR(info.st_mode)) ThrowFolderError(folder, ERROR_DIRECTORY);
    if (std::find(m_enclosing.begin(), m_enclosing.end(), IdOf(info)) != m_enclosing.end()) {
      m_console.Warn("folder %1 left out: a link leads into a folder that encloses it", folder);
      return;
    }
    m_enclosing.push_back(IdOf(info));
    for (const std::string& name : Names(folder)) {
      const std::string path = folder + "/" + name;
      // Every topic must be found by its path and extracted again.
      if (const char* reason = BadName(name)) {
        m_console.Warn(std::string("%1 left out: ") + reason, path);
        continue;
      }
      const std::string topicPath = topicFolder.empty() ? name : topicFolder + "/" + name;
      AddEntry(path, topicPath);
    }
    m_enclosing.pop_back();
  }

  std::vector<SourceFile> Files() { return std::move(m_files); }

 private:
  static std::vector<std::string> Names(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) ThrowFolderError(folder, errno);
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = readdir(dir.get())) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    if (errno != 0) ThrowFolderError(folder, errno);
    std::sort(names.begin(), names.end());
    return names;
  }

  void AddEntry(const std::string& path, const std::string& topicPath) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
      // A link that leads nowhere names no file to pack.
      if (errno == ENOENT) {
        m_console.Warn("%1 left out: a link to nothing", path);
        return;
      }
      if (errno == ELOOP) {
        m_console.Warn("%1 left out: its links lead round in a circle", path);
        return;
      }
      ThrowFolderError(path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
      ScanFolder(path, topicPath);
    } else if (!S_ISREG(info.st_mode)) {
      m_console.Warn("%1 left out: not a regular file", path);
    } else if (stow::Utf8ToUtf16(topicPath).size() > kLongestTopicPath) {
      m_console.Warn("%1 left out: its path is longer than 65535 characters", path);
    } else if (std::find(m_excluded.begin(), m_excluded.end(), IdOf(info)) == m_excluded.end()) {
      m_files.push_back({topicPath, path, static_cast<std::uint64_t>(info.st_size)});
    }
  }

  Console& m_console;
  std::vector<FileId> m_excluded;
  std::vector<FileId> m_enclosing;
  std::vector<SourceFile> m_files;
};

}  // namespace

std::vector<SourceFile> ScanSourceTree(const std::string& root,
                                       const std::vector<std::string>& excluded, Console& console) {
  TreeScan scan(excluded, console);
  std::string folder = root;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  scan.ScanFolder(folder, {});
  return scan.Files();
}

}  // namespace vxb
