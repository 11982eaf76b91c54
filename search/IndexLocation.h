// Where the index of an archive lives and what it belongs to. Indexes are kept in
// the user's cache folder beside the URL cache: in "search" beside its folder
// ($XDG_CACHE_HOME/vexost/search, or where $VXST_CACHE_DIR moves the cache), one
// file per archive file, named after a hash of the archive's full path. Each index records the identity of the archive it was
// built from (path, size, modification time, archive name); an index whose
// archive no longer has that identity is stale and is built again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace search {

struct ArchiveIdentity {
  std::string path;  // full path
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds since 1970
  std::string name;           // the archive's name record; "" when not known

  // Same file in the same state; names compare only when both are known.
  bool Matches(const ArchiveIdentity& other) const;
};

// The identity of the file at PATH as it is now (name left empty); nullopt when
// there is no such file.
std::optional<ArchiveIdentity> IdentityOfFile(const std::string& path);

// The folder of all indexes.
std::string IndexFolder();
// The index file of the archive at PATH (made full first) in FOLDER.
std::string IndexPathOf(const std::string& archivePath, const std::string& folder = IndexFolder());

}  // namespace search
