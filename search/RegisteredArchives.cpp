#include "search/RegisteredArchives.h"

#include <algorithm>
#include <memory>

#include "base/KelException.h"
#include "base/PathText.h"
#include "catalog/DocumentProfiling.h"
#include "platform/FileSystem.h"

namespace search {

namespace {

const KelAppDescriptor kDescriptor{"vxsearch", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

void AddPlacement(stow::DocumentProfiling& catalog, stow::Placement placement, int root,
                  std::vector<SearchableArchive>& archives) {
  for (const std::string& name : catalog.ListArchiveNames(placement)) {
    if (!catalog.OpenArchiveKey(name, root, CKelProfiling::kReadOnly)) continue;
    for (std::uint32_t firmCode : catalog.ListFirmCodes()) {
      try {
        if (catalog.ReadEntry(firmCode)) archives.push_back({name, catalog.GetEntryPath()});
      } catch (CKelException* e) {
        e->Delete();  // a damaged entry costs its own archive only
      }
    }
  }
}

}  // namespace

std::vector<SearchableArchive> RegisteredArchives() {
  std::vector<SearchableArchive> archives;
  stow::DocumentProfiling catalog(kDescriptor);
  const std::pair<stow::Placement, int> placements[] = {
      {stow::Placement::CurrentUser, CKelProfiling::kCurrentUser},
      {stow::Placement::AllUsers, CKelProfiling::kLocalMachine}};
  for (const auto& [placement, root] : placements) {
    try {
      AddPlacement(catalog, placement, root, archives);
    } catch (CKelException* e) {
      e->Delete();
    }
  }
  return archives;
}

std::vector<SearchableArchive> Joined(std::vector<SearchableArchive> first,
                                      const std::vector<SearchableArchive>& second) {
  const std::string current = os::CurrentFolder();
  const auto full = [&](const SearchableArchive& a) { return vxs::FullPath(a.path, current); };
  for (const SearchableArchive& archive : second) {
    if (std::none_of(first.begin(), first.end(),
                     [&](const SearchableArchive& a) { return full(a) == full(archive); }))
      first.push_back(archive);
  }
  return first;
}

}  // namespace search
