#include "catalog/CatalogListing.h"

#include <memory>

#include "base/KelException.h"

namespace {

void ListPlacement(stow::DocumentProfiling& catalog, bool allUsers,
                   std::vector<CatalogEntry>& entries) {
  const stow::Placement placement =
      allUsers ? stow::Placement::AllUsers : stow::Placement::CurrentUser;
  const int root = allUsers ? CKelProfiling::kLocalMachine : CKelProfiling::kCurrentUser;
  try {
    for (const std::string& name : catalog.ListArchiveNames(placement)) {
      if (!catalog.OpenArchiveKey(name, root, CKelProfiling::kReadOnly)) continue;
      for (const std::uint32_t firmCode : catalog.ListFirmCodes()) {
        try {
          if (catalog.ReadEntry(firmCode))
            entries.push_back({name, firmCode, catalog.GetEntryPath(), allUsers});
        } catch (CKelException* failure) {  // a key without its path
          const std::unique_ptr<CKelException> owned(failure);
        }
      }
    }
  } catch (CKelException* failure) {
    const std::unique_ptr<CKelException> owned(failure);
    catalog.Close();
  }
}

}  // namespace

std::vector<CatalogEntry> ListCatalogEntries(stow::DocumentProfiling& catalog) {
  std::vector<CatalogEntry> entries;
  ListPlacement(catalog, false, entries);
  ListPlacement(catalog, true, entries);
  return entries;
}
