// CKelFileTreeScan: walks a folder, and optionally every folder below it, and
// hands each file whose name matches one of a list of patterns to the hooks of
// a derived class, depth first: a folder's own files, then each subfolder with
// everything below it, in listing order, before the next subfolder.
//
// Every folder is entered once, however many links lead to it: a linked folder
// that lies inside the walk or encloses its start (a link back up, which would
// make the walk endless) is left out, as is a folder already entered by another
// path; OnFolderSkipped is told of each.
//
// The inherited path holds the folder or file being visited (the file handle is
// not used). Listing failures are collected while walking and thrown as one
// CKelFileException when the walk ends; exceptions thrown by the hooks end the
// scan at once and pass to the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/KelFile.h"
#include "base/KelFileSpecList.h"
#include "platform/FolderListing.h"

class CKelFileException;

class CKelFileTreeScan : public CKelFile {
 public:
  // Scan flags.
  static constexpr DWORD kScanHidden = 0x2;       // include hidden files
  static constexpr DWORD kScanSystem = 0x4;       // include system files
  static constexpr DWORD kScanSubfolders = 0x10;  // descend into subfolders

  // Options.
  static constexpr DWORD kAllWhenEmpty = 0x1;      // an empty list scans "*.*"
  static constexpr DWORD kReportMissing = 0x2;     // a name without wildcards that matches
                                                   // nothing is handed out unchanged
  static constexpr DWORD kEveryFolder = 0x4;       // OnFolder also for folders without matches
  static constexpr DWORD kStopOnFolderError = 0x8; // a folder that cannot be listed ends the scan

  // Why a subfolder is not entered.
  enum class FolderSkip {
    LinkIntoWalk,  // a link to a folder of the walk or to one that encloses its start
    SeenBefore,    // the same folder was entered by another path
  };

  // A file found in a folder: the pattern it matched and its name.
  struct FileEntry {
    const CKelFileSpecEntry* pattern;
    std::string name;
  };
  // A folder entered: its name (empty for the start folder), its subfolders in
  // listing order and the files matched in it.
  struct FolderNode {
    std::string name;
    std::vector<std::string> subfolders;
    std::size_t nextSubfolder = 0;
    std::vector<FileEntry> files;
  };

  CKelFileTreeScan();
  ~CKelFileTreeScan() override;

  // Frees the patterns, then resets the file.
  void Reset() override;

  // Takes the list's base folder (the current folder when it is empty) as the
  // start, its entries as the patterns and, with its subfolder flag, adds
  // kScanSubfolders to SCANFLAGS. An empty list scans "*.*" with kAllWhenEmpty,
  // else nothing (and no subfolders).
  void Prepare(const CKelFileSpecList& list, DWORD options, DWORD scanFlags);
  // Walks the tree calling the hooks; then throws the pending listing error.
  void Scan();

  // The files matched in the folder being visited, and the subfolders found
  // over the whole scan.
  std::uint32_t GetFilesInFolder() const { return m_filesInFolder; }
  std::uint32_t GetSubfolderCount() const { return m_subfoldersFound; }
  // Folders entered below the start folder.
  std::int32_t GetDepth() const { return m_depth; }
  const std::vector<CKelFileSpecEntry>& GetPatterns() const { return m_patterns; }

 protected:
  // The path holds the folder (no trailing separator but for a root).
  virtual void OnFolder(FolderNode& folder);
  // The path holds the file's full path.
  virtual void OnFile(FileEntry& file);
  // The path holds the folder.
  virtual void OnFolderDone(FolderNode& folder);
  // PATH is the subfolder left out for REASON.
  virtual void OnFolderSkipped(const std::string& path, FolderSkip reason);

 private:
  // Steps of one folder; the path holds it with its trailing separator.
  void VisitFolder(FolderNode& folder);
  void ListSubfolders(FolderNode& folder);
  // Whether the subfolder ENTRY of the folder being visited is entered; notes
  // it as seen.
  bool TakeSubfolder(const FindData& entry);
  void CollectMatches(FolderNode& folder);
  // Lists the folder with PATTERN and appends the candidates; true when the
  // listing found an entry that is not a folder.
  bool ListPattern(FolderNode& folder, const CKelFileSpecEntry& pattern, bool deduplicate);
  void ApplyMissingRule(FolderNode& folder, CKelFileSpecEntry& pattern, bool found);
  // Takes a listing failure ERROR of the folder being visited.
  void NoteListingError(DWORD error);
  void HandOut(FolderNode& folder);
  // The folder text as the hooks see it.
  std::string FolderForHooks(const std::string& folderPath) const;
  char Separator() const;

  DWORD m_scanFlags = 0;
  DWORD m_options = 0;
  DWORD m_workOptions = 0;
  std::vector<CKelFileSpecEntry> m_patterns;
  std::int32_t m_depth = 0;
  std::uint32_t m_filesInFolder = 0;
  std::uint32_t m_subfoldersFound = 0;
  std::unique_ptr<CKelFileException> m_pendingError;
  bool m_error = false;
  std::string m_startResolved;       // the start folder with its links resolved
  std::set<FileIdentity> m_entered;  // folders entered or about to be
};
