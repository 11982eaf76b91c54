#include "reader/DocumentFileName.h"

#include <cstring>
#include <string>

#include "catalog/ThisDocumentProfiling.h"
#include "platform/Framework.h"

std::int32_t GetDocumentFileName(ThisDocumentProfiling& catalog, const char* name,
                                 std::uint32_t firmCode, char* buffer, std::int32_t size) {
  if (!name) return 0;
  std::string path;
  try {
    path = catalog.ResolveArchive(name, firmCode, false, true);
  } catch (CException* e) {
    // A catalog entry that cannot be read names no file.
    e->Delete();
    return 0;
  }
  if (path.empty()) return 0;
  const auto length = static_cast<std::int32_t>(path.size());
  if (!buffer || length >= size) return length + 1;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return length;
}
