// Every entry of the archive catalog, for programs that offer the registered
// archives to choose from: name, firm code and file, the current user's entries
// first, then those for all users.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/DocumentProfiling.h"

struct CatalogEntry {
  std::string archiveName;
  std::uint32_t firmCode = stow::kNoFirmCode;
  std::string path;
  bool allUsers = false;

  friend bool operator==(const CatalogEntry&, const CatalogEntry&) = default;
};

// The entries CATALOG holds, each placement in enumeration order. An entry that
// cannot be read is passed over; a placement whose catalog cannot be read gives
// the entries read before the failure.
std::vector<CatalogEntry> ListCatalogEntries(stow::DocumentProfiling& catalog);
