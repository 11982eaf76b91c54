#include "registrar/ThisFileTreeScan.h"

#include <memory>

#include "base/KelErrorMessage.h"
#include "base/KelException.h"
#include "base/MessageCodes.h"
#include "registrar/CatalogFailure.h"

namespace {

constexpr std::uint32_t kFileNotFound = 1001;

}  // namespace

ThisFileTreeScan::ThisFileTreeScan(bool unregister, bool allUsers, const KelAppDescriptor& descriptor,
                                   registrar::RunCounters& counters, CKelErrorMessage& messages)
    : m_catalog(descriptor),
      m_unregister(unregister),
      m_allUsers(allUsers),
      m_counters(counters),
      m_messages(messages) {}

void ThisFileTreeScan::Run(const CKelFileSpecList& list) {
  Prepare(list, 0, 0);
  m_catalog.Close();
  Scan();
  ReportNamesNotFound(list);
}

void ThisFileTreeScan::OnFolder(FolderNode&) { m_folderCounted = false; }

void ThisFileTreeScan::OnFile(FileEntry& file) {
  ++m_counters.filesScanned;
  if (!m_folderCounted) {
    ++m_counters.folders;
    m_folderCounted = true;
  }
  if (!(file.pattern->kind & CKelFileSpecEntry::kWildcards)) m_namesFound.insert(file.pattern->text);
  try {
    RegisterFile(GetPath());
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> owned(e);
    m_catalog.Close();
    registrar::NameCatalogFile(*e, m_allUsers ? stow::Placement::AllUsers : stow::Placement::CurrentUser);
    ReportFailure(e);
  }
}

void ThisFileTreeScan::OnFolderSkipped(const std::string& path, FolderSkip reason) {
  CKelException warning(vxs::kGenericWarning, registrar::FolderLeftOutText(
                                                  path, reason == FolderSkip::LinkIntoWalk));
  m_messages.Report(&warning);
}

void ThisFileTreeScan::ReportFailure(CKelException* e) {
  ++m_counters.failures;
  m_messages.Report(e);
}

void ThisFileTreeScan::RegisterFile(const std::string& path) {
  stow::VxbFile document;
  document.Open(path);
  const std::string& name = document.GetArchiveName();
  const std::uint32_t firmCode = document.GetFirmCode();
  if (name.empty() || firmCode == stow::kNoFirmCode) {
    CKelException::Throw(vxs::kGenericError, registrar::CannotRegisterText(path, name));
  }
  const stow::Placement placement = m_allUsers ? stow::Placement::AllUsers : stow::Placement::CurrentUser;
  if (m_unregister) {
    if (!m_catalog.UnregisterArchive(document, placement)) {
      CKelException::Throw(vxs::kGenericError, registrar::NotRegisteredText(path, m_allUsers));
    }
    ++m_counters.unregistered;
  } else {
    if (m_catalog.RegisterArchive(document, placement)) ++m_counters.registered;
    m_registered.push_back(path);
  }
}

void ThisFileTreeScan::ReportNamesNotFound(const CKelFileSpecList& list) {
  for (const CKelFileSpecEntry& entry : list.entries) {
    if ((entry.kind & CKelFileSpecEntry::kWildcards) || m_namesFound.contains(entry.text)) continue;
    CKelFile file(list.baseFolder);
    file.AppendName(entry.text);
    ++m_counters.failures;
    // A name that is there but was passed over is no regular file (a pipe, a device).
    const bool there = file.Exists();
    CKelException failure(there ? vxs::kGenericError : kFileNotFound,
                          there ? registrar::NotAFileText(file.GetPath()) : file.GetPath());
    m_messages.Report(&failure);
  }
}
