// Listing a folder as the original platform's file search did: the entries of
// one folder whose names match a pattern (platform/WildcardMatch.h), with their
// attributes. On this system a name that begins with "." is a hidden file, and
// an entry that is neither a regular file nor a folder (device, pipe, socket) is
// a system file, so that scans pass over what must not be opened. Symbolic links
// count as what they point to, with the reparse-point attribute added (as the
// original platform marks its links); a dangling one is a system file.
//
// The listing goes through the file hook (os::FileCall::List with the folder's
// path), so tests can make a folder unreadable.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x0400;

// What tells files apart whatever path or link reaches them: device and inode
// (the volume and file index of the original platform).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

struct FindData {
  DWORD attributes = 0;  // FILE_ATTRIBUTE_DIRECTORY, _HIDDEN, _SYSTEM, _NORMAL, _REPARSE_POINT
  std::uint64_t size = 0;
  std::string name;      // without folder
  FileIdentity identity; // of what the entry names, links followed
};

// The entries of FOLDER whose names match PATTERN, "." and ".." left out, in the
// byte order of their names (the order of every listing of the same folder).
// Returns ERROR_SUCCESS with at least one entry; ERROR_FILE_NOT_FOUND when no
// entry matches; ERROR_PATH_NOT_FOUND when FOLDER names no folder (a drive or
// network path names none here); ERROR_ACCESS_DENIED and others as the system
// refuses.
DWORD FindFiles(const std::string& folder, const std::string& pattern,
                std::vector<FindData>& entries);

// The identity of what PATH names, links followed; nothing when it names nothing.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// PATH with every link resolved and "." and ".." taken out, as the system
// reaches it; "" when it names nothing.
std::string ResolvedPath(const std::string& path);
