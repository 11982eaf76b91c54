#include "registrar/ThisFileTreeScan.h"

#include <memory>

#include "base/KelErrorMessage.h"
#include "base/KelException.h"

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
}

void ThisFileTreeScan::OnFolder(FolderNode&) { m_folderCounted = false; }

void ThisFileTreeScan::OnFile(FileEntry&) {
  ++m_counters.filesScanned;
  if (!m_folderCounted) {
    ++m_counters.folders;
    m_folderCounted = true;
  }
  try {
    RegisterFile(GetPath());
  } catch (CKelException* e) {
    const std::unique_ptr<CKelException> owned(e);
    m_catalog.Close();
    m_messages.Report(e);
  }
}

void ThisFileTreeScan::RegisterFile(const std::string& path) {
  stow::VxbFile document;
  document.Open(path);
  if (document.GetArchiveName().empty()) return;
  const stow::Placement placement = m_allUsers ? stow::Placement::AllUsers : stow::Placement::CurrentUser;
  const bool changed = m_unregister ? m_catalog.UnregisterArchive(document, placement)
                                    : m_catalog.RegisterArchive(document, placement);
  if (changed) ++(m_unregister ? m_counters.unregistered : m_counters.registered);
}
