#include "viewer/CurrentArchive.h"

#include <memory>

#include "base/HtmlEscape.h"
#include "base/KelException.h"
#include "reader/client/ReaderControlClient.h"

namespace {

// The archive at PATH, or CKelException 1600 telling why it is none.
HandedArchive ReadArchive(const std::string& path) {
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
  if (argument.starts_with("vexost")) {
    m_url = argument;
    m_pendingHandOver = false;
    return;
  }
  HandedArchive archive = ReadArchive(argument);
  m_archiveName = std::move(archive.name);
  m_path = std::move(archive.path);
  m_firmCode = archive.firmCode;
  // Escaped, so that a name with blanks, "/", "#" or "?" stays one part of the URL.
  m_url = "vexost://" + vxs::EscapeUrlComponent(m_archiveName);
  m_pendingHandOver = true;
}

void CurrentArchive::Show(ArchiveView& view) {
  if (m_pendingHandOver) {
    view.HandOver(m_archiveName, m_path, m_firmCode, m_fourthText);
    m_pendingHandOver = false;
  }
  if (!m_url.empty()) view.Navigate(m_url);
}
