#include "base/KelFileTreeScan.h"

#include <algorithm>

#include "base/KelException.h"
#include "platform/PathSyntax.h"
#include "platform/WildcardMatch.h"

namespace {

constexpr const char* kAllFiles = "*.*";

bool IsSkipped(DWORD attributes, DWORD scanFlags) {
  if ((attributes & FILE_ATTRIBUTE_HIDDEN) && !(scanFlags & CKelFileTreeScan::kScanHidden)) return true;
  return (attributes & FILE_ATTRIBUTE_SYSTEM) && !(scanFlags & CKelFileTreeScan::kScanSystem);
}

}  // namespace

CKelFileTreeScan::CKelFileTreeScan() = default;

CKelFileTreeScan::~CKelFileTreeScan() = default;

void CKelFileTreeScan::Reset() {
  m_patterns.clear();
  CKelFile::Reset();
}

void CKelFileTreeScan::OnFolder(FolderNode&) {}
void CKelFileTreeScan::OnFile(FileEntry&) {}
void CKelFileTreeScan::OnFolderDone(FolderNode&) {}
void CKelFileTreeScan::OnFolderSkipped(const std::string&, FolderSkip) {}

void CKelFileTreeScan::Prepare(const CKelFileSpecList& list, DWORD options, DWORD scanFlags) {
  m_patterns.clear();
  m_options = options;
  m_scanFlags = scanFlags;
  m_path = list.baseFolder.empty() ? os::CurrentFolder() : list.baseFolder;
  if (m_path.empty() || !IsPathSeparator(m_path.back())) m_path += Separator();
  m_patterns = list.entries;
  if (list.flags & CKelFileSpecList::kSubfolders) m_scanFlags |= kScanSubfolders;
  if (m_patterns.empty()) {
    if (options & kAllWhenEmpty) {
      m_patterns.push_back({CKelFileSpecEntry::kWildcards, kAllFiles});
    } else {
      m_scanFlags &= ~kScanSubfolders;
    }
  }
}

char CKelFileTreeScan::Separator() const { return PreferredSeparator(m_path); }

std::string CKelFileTreeScan::FolderForHooks(const std::string& folderPath) const {
  std::string folder = folderPath;
  // A root ("/", "C:\") keeps its separator.
  const std::size_t root = DriveRootLength(folder);
  if (folder.size() > root + 1 && IsPathSeparator(folder.back())) folder.pop_back();
  return folder;
}

void CKelFileTreeScan::Scan() {
  m_workOptions = m_options;
  m_depth = 0;
  m_subfoldersFound = 0;
  m_filesInFolder = 0;
  m_pendingError.reset();
  m_error = false;
  m_startResolved = ResolvedPath(m_path);
  m_entered.clear();
  if (const auto start = IdentityOfPath(m_path)) m_entered.insert(*start);

  std::string folderPath = m_path;  // the folder being visited, with its separator
  std::vector<FolderNode> stack(1);
  for (;;) {
    m_path = folderPath;
    VisitFolder(stack.back());
    FolderNode& current = stack.back();
    if (!current.subfolders.empty() && !m_error) {
      folderPath += current.subfolders.front() + Separator();
      FolderNode child;
      child.name = current.subfolders.front();
      stack.push_back(std::move(child));
      ++m_depth;
      continue;
    }
    // Back up: the next sibling of the current folder or of one of its parents.
    bool entered = false;
    while (!entered && stack.size() > 1) {
      folderPath.resize(folderPath.size() - stack.back().name.size() - 1);
      stack.pop_back();
      --m_depth;
      FolderNode& parent = stack.back();
      if (++parent.nextSubfolder < parent.subfolders.size() && !m_error) {
        const std::string& sibling = parent.subfolders[parent.nextSubfolder];
        folderPath += sibling + Separator();
        FolderNode node;
        node.name = sibling;
        stack.push_back(std::move(node));
        ++m_depth;
        entered = true;
      }
    }
    if (!entered) break;
  }
  m_path = folderPath;
  if (m_pendingError) {
    CKelFileException* error = m_pendingError.release();
    throw error;
  }
}

void CKelFileTreeScan::VisitFolder(FolderNode& folder) {
  const std::string folderPath = m_path;
  m_filesInFolder = 0;
  if (m_scanFlags & kScanSubfolders) ListSubfolders(folder);
  CollectMatches(folder);
  m_path = FolderForHooks(folderPath);
  if (!folder.files.empty() || (m_workOptions & kEveryFolder)) HandOut(folder);
  m_path = FolderForHooks(folderPath);
  OnFolderDone(folder);
  m_path = folderPath;
}

void CKelFileTreeScan::ListSubfolders(FolderNode& folder) {
  if (m_path.size() + std::char_traits<char>::length(kAllFiles) > kMaxPathLength) return;
  std::vector<FindData> entries;
  const DWORD error = FindFiles(m_path, kAllFiles, entries);
  if (error != ERROR_SUCCESS) {
    NoteListingError(error);
    return;
  }
  for (const FindData& entry : entries) {
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || entry.name == "." || entry.name == "..") continue;
    if (!TakeSubfolder(entry)) continue;
    folder.subfolders.push_back(entry.name);
    ++m_subfoldersFound;
  }
}

bool CKelFileTreeScan::TakeSubfolder(const FindData& entry) {
  const std::string path = m_path + entry.name;
  if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // A link whose folder lies inside the walk is walked by its own path; one
    // that encloses the start would begin the walk again, without end.
    const std::string target = ResolvedPath(path);
    const auto within = [](const std::string& inner, const std::string& outer) {
      return inner == outer || outer == "/" ||
             (inner.starts_with(outer) && inner[outer.size()] == '/');
    };
    if (!target.empty() && !m_startResolved.empty() &&
        (within(target, m_startResolved) || within(m_startResolved, target))) {
      OnFolderSkipped(path, FolderSkip::LinkIntoWalk);
      return false;
    }
  }
  if (!m_entered.insert(entry.identity).second) {
    OnFolderSkipped(path, FolderSkip::SeenBefore);
    return false;
  }
  return true;
}

void CKelFileTreeScan::CollectMatches(FolderNode& folder) {
  for (std::size_t i = 0; i < m_patterns.size(); ++i) {
    CKelFileSpecEntry& pattern = m_patterns[i];
    if (m_path.size() + pattern.text.size() > kMaxPathLength) continue;
    const bool notSearched = (pattern.kind & CKelFileSpecEntry::kNeverSearched) ||
                             ((pattern.kind & CKelFileSpecEntry::kReportedMissing) &&
                              (m_workOptions & kReportMissing));
    const bool deduplicate = i > 0 && (pattern.kind & CKelFileSpecEntry::kWildcards);
    const bool found = !notSearched && ListPattern(folder, pattern, deduplicate);
    ApplyMissingRule(folder, pattern, found);
  }
}

bool CKelFileTreeScan::ListPattern(FolderNode& folder, const CKelFileSpecEntry& pattern,
                                   bool deduplicate) {
  std::vector<FindData> entries;
  const DWORD error = FindFiles(m_path, pattern.text, entries);
  if (error != ERROR_SUCCESS) {
    NoteListingError(error);
    return false;
  }
  // A file named without wildcards is taken even when hidden: it was asked for.
  const DWORD scanFlags =
      (pattern.kind & CKelFileSpecEntry::kWildcards) ? m_scanFlags : m_scanFlags | kScanHidden;
  bool found = false;
  for (const FindData& entry : entries) {
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    found = true;
    if (IsSkipped(entry.attributes, scanFlags)) continue;
    if (deduplicate && std::any_of(folder.files.begin(), folder.files.end(),
                                   [&](const FileEntry& file) { return file.name == entry.name; })) {
      continue;
    }
    folder.files.push_back({&pattern, entry.name});
    ++m_filesInFolder;
  }
  return found;
}

void CKelFileTreeScan::ApplyMissingRule(FolderNode& folder, CKelFileSpecEntry& pattern, bool found) {
  if (found || (pattern.kind & CKelFileSpecEntry::kWildcards)) return;
  if (!(m_workOptions & kReportMissing) && !(pattern.kind & CKelFileSpecEntry::kNeverSearched)) return;
  pattern.kind |= CKelFileSpecEntry::kReportedMissing;
  folder.files.push_back({&pattern, pattern.text});
  ++m_filesInFolder;
}

void CKelFileTreeScan::NoteListingError(DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return;
  if (!(m_workOptions & kStopOnFolderError) || m_error) return;
  const CKelFile folder(FolderForHooks(m_path));
  try {
    ThrowFileError(folder, 1013, error);
  } catch (CKelFileException* e) {
    m_pendingError.reset(e);
  }
  m_error = true;
}

void CKelFileTreeScan::HandOut(FolderNode& folder) {
  const std::string folderText = m_path;
  OnFolder(folder);
  if (!m_error) {
    for (FileEntry& file : folder.files) {
      m_path = folderText;
      AppendName(file.name);
      OnFile(file);
    }
  }
  folder.files.clear();
}
