// The module-wide map from topic type (extension in upper case, without the dot)
// to MIME type.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class MimeTypeTable {
 public:
  // The table filled by its insertions, in order; the first insertion of a key wins.
  MimeTypeTable();

  // The MIME type of TYPE (exact, case-sensitive match), or "" when unknown.
  std::string Lookup(std::string_view type) const;
  std::size_t Size() const { return m_types.size(); }

  // The module's table, created and filled on first use (vxs::AutoInit); Destroy
  // frees it.
  static MimeTypeTable& Instance();
  static void Destroy();

 private:
  std::map<std::string, std::string, std::less<>> m_types;
};
