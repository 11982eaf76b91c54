#include "host/KnownArchives.h"

#include <unistd.h>

#include <algorithm>
#include <memory>

#include "base/KelException.h"
#include "catalog/DocumentProfiling.h"
#include "reader/RequestUrl.h"

namespace {

const KelAppDescriptor kDescriptor{"vxstserve", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};

// Parses without touching anything: names are not resolved (only noted), pages
// are not built.
class ParseOnly : public RequestUrlServices {
 public:
  std::string ResolveArchive(const std::string&, std::uint32_t&) override {
    namedArchive = true;
    return "-";
  }
  void ClearCacheEntries() override {}
  void ArrangePage(unsigned, std::vector<std::string>) override {}
  void ArrangeArchiveList() override {}

  bool namedArchive = false;
};

// PATH made absolute against the current folder, as the reader's open would
// take it; "" when it holds "." or ".." segments or empty ones, which could make
// the open walk folders that the known paths do not name.
std::string PlainAbsolutePath(const std::string& path) {
  std::string absolute = path;
  if (!absolute.starts_with('/')) {
    char folder[4096];
    if (!::getcwd(folder, sizeof folder)) return "";
    absolute = std::string(folder) + "/" + absolute;
  }
  for (std::size_t at = 1; at <= absolute.size();) {
    std::size_t end = std::min(absolute.find('/', at), absolute.size());
    std::string_view segment = std::string_view(absolute).substr(at, end - at);
    if (segment.empty() || segment == "." || segment == "..") return "";
    at = end + 1;
  }
  return absolute;
}

bool IsOrIsBelow(const std::string& path, const std::string& known) {
  return !known.empty() && path.starts_with(known) &&
         (path.size() == known.size() || path[known.size()] == '/');
}

}  // namespace

bool KnownArchives::Admits(std::string_view url) const {
  ParseOnly services;
  RequestUrlGrammar grammar;
  RequestUrl request;
  try {
    if (!grammar.ParseRequestUrl(url, request, services) || services.namedArchive) return true;
  } catch (CException* e) {
    e->Delete();
    return false;
  }
  const std::string path = PlainAbsolutePath(request.archivePath);
  if (path.empty()) return false;
  auto known = [&](const std::string& archive) { return IsOrIsBelow(path, archive); };
  if (std::any_of(m_handedPaths.begin(), m_handedPaths.end(), known)) return true;
  const std::vector<std::string> registered = RegisteredPaths();
  return std::any_of(registered.begin(), registered.end(), known);
}

std::vector<std::string> KnownArchives::RegisteredPaths() {
  std::vector<std::string> paths;
  try {
    stow::DocumentProfiling catalog(kDescriptor);
    for (auto [placement, root] :
         {std::pair{stow::Placement::CurrentUser, CKelProfiling::kCurrentUser},
          std::pair{stow::Placement::AllUsers, CKelProfiling::kLocalMachine}}) {
      for (const std::string& name : catalog.ListArchiveNames(placement)) {
        if (!catalog.OpenArchiveKey(name, root, CKelProfiling::kReadOnly)) continue;
        for (std::uint32_t firmCode : catalog.ListFirmCodes())
          if (catalog.ReadEntry(firmCode)) paths.push_back(catalog.GetEntryPath());
      }
    }
  } catch (CException* e) {
    // A catalog that cannot be read admits nothing more than the handed archives.
    e->Delete();
  }
  return paths;
}
