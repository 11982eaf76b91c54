#include "viewer/CurrentArchive.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <string_view>

#include "base/KelException.h"
#include "reader/client/ReaderControlClient.h"

namespace {

// The archive at PATH, or CKelException 1600 telling why it is none.
HandedArchive ReadArchive(const std::string& path) {
  // A pipe or a device would block the window until someone writes to it.
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
    throw new CKelException(CurrentArchive::kCannotOpen, path + " could not be opened",
                            "It is no file but a folder, a pipe or a device ");
  try {
    return ReadHandedArchive(path);
  } catch (CKelException* failure) {
    const std::unique_ptr<CKelException> owned(failure);
    std::string version;
    if (failure->m_code == CurrentArchive::kWrongVersion)
      version = "The file has the wrong version (File version is " + failure->m_arg1 + ") ";
    throw new CKelException(CurrentArchive::kCannotOpen, path + " could not be opened",
                            std::move(version));
  }
}

// Whether ARGUMENT is a vexost: URL; the scheme counts in any case, as the reader
// reads it, and a file whose name merely begins with "vexost" is a file.
bool IsVexostUrl(const std::string& argument) {
  constexpr std::string_view kScheme = "vexost:";
  if (argument.size() < kScheme.size()) return false;
  for (std::size_t i = 0; i < kScheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(argument[i])) != kScheme[i]) return false;
  return true;
}

// PATH as the path of a file URL: the characters that would end the URL's path
// or start an escape are escaped, the rest stays readable.
std::string FileUrlPath(const std::string& path) {
  std::string out;
  for (const char c : path) {
    if (c == '%' || c == '#' || c == '?' || static_cast<unsigned char>(c) < 0x20) {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

CurrentArchive& CurrentArchive::Instance() {
  static CurrentArchive instance;
  return instance;
}

void CurrentArchive::Set(const std::string& argument) {
  m_argument = argument;
  if (argument.empty()) {
    m_url.clear();
    m_pendingHandOver = false;
    return;
  }
  if (IsVexostUrl(argument)) {
    m_url = argument;
    m_pendingHandOver = false;
    return;
  }
  HandedArchive archive = ReadArchive(argument);
  m_archiveName = std::move(archive.name);
  m_path = std::move(archive.path);
  m_firmCode = archive.firmCode;
  // The view goes to the file itself: the name may stand for another archive of
  // the same name in the reader (one handed over or served before), the file not.
  m_url = "vexost://file:" + FileUrlPath(m_path);
  m_pendingHandOver = true;
}

void CurrentArchive::Show(ArchiveView& view) {
  if (m_pendingHandOver) {
    view.HandOver(m_archiveName, m_path, m_firmCode, m_fourthText);
    m_pendingHandOver = false;
  }
  if (!m_url.empty()) view.Navigate(m_url);
}
