// The registrar's folder walk: every file found is opened as an archive and
// registered in (or unregistered from) the catalog of one placement. A file
// that is no archive, or any other failure with one file, is reported and the
// walk goes on.
#pragma once

#include "base/KelFileTreeScan.h"
#include "catalog/DocumentProfiling.h"
#include "registrar/RegistrarTexts.h"

class CKelErrorMessage;

class ThisFileTreeScan : public CKelFileTreeScan {
 public:
  // COUNTERS collects the run's counts; MESSAGES reports failures. Both must
  // outlive the scan.
  ThisFileTreeScan(bool unregister, bool allUsers, const KelAppDescriptor& descriptor,
                   registrar::RunCounters& counters, CKelErrorMessage& messages);

  // Prepares LIST (no missing names, hidden and system files skipped) and walks it.
  void Run(const CKelFileSpecList& list);

 protected:
  void OnFolder(FolderNode& folder) override;
  void OnFile(FileEntry& file) override;

 private:
  void RegisterFile(const std::string& path);

  stow::DocumentProfiling m_catalog;
  bool m_unregister;
  bool m_allUsers;
  bool m_folderCounted = false;
  registrar::RunCounters& m_counters;
  CKelErrorMessage& m_messages;
};
