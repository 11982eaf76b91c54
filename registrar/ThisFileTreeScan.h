// The registrar's folder walk: every file found is opened as an archive and
// registered in (or unregistered from) the catalog of one placement. Whatever
// goes wrong with one file (no archive, no name or firm code to register it
// under, not registered when it is to be unregistered, a catalog that cannot be
// written) is reported, counted as a failure, and the walk goes on. A file named
// without wildcards that the walk did not find is reported the same way, and so
// is every linked folder the walk leaves out (as a warning, no failure).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/KelFileTreeScan.h"
#include "catalog/DocumentProfiling.h"
#include "registrar/RegistrarTexts.h"

class CKelErrorMessage;
class CKelException;

class ThisFileTreeScan : public CKelFileTreeScan {
 public:
  // COUNTERS collects the run's counts; MESSAGES reports failures. Both must
  // outlive the scan.
  ThisFileTreeScan(bool unregister, bool allUsers, const KelAppDescriptor& descriptor,
                   registrar::RunCounters& counters, CKelErrorMessage& messages);

  // Prepares LIST (hidden and system files skipped but where named) and walks it.
  void Run(const CKelFileSpecList& list);
  // The archive files the walk registered, or found registered as they are.
  const std::vector<std::string>& Registered() const { return m_registered; }

 protected:
  void OnFolder(FolderNode& folder) override;
  void OnFile(FileEntry& file) override;
  void OnFolderSkipped(const std::string& path, FolderSkip reason) override;

 private:
  void RegisterFile(const std::string& path);
  // Reports the named files of LIST that no folder held.
  void ReportNamesNotFound(const CKelFileSpecList& list);
  void ReportFailure(CKelException* e);

  stow::DocumentProfiling m_catalog;
  bool m_unregister;
  bool m_allUsers;
  bool m_folderCounted = false;
  std::set<std::string> m_namesFound;
  std::vector<std::string> m_registered;  // the named patterns that matched a file
  registrar::RunCounters& m_counters;
  CKelErrorMessage& m_messages;
};
