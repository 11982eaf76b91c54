// The archives a search covers: those a host serves by name and those of the
// catalog (the current user's and all users'), each file once.
#pragma once

#include <string>
#include <vector>

namespace search {

struct SearchableArchive {
  std::string name;
  std::string path;
};

// Every entry of the catalog with a path, current user first. A catalog that
// cannot be read gives what could be read.
std::vector<SearchableArchive> RegisteredArchives();

// FIRST, then the archives of SECOND whose files are not in FIRST.
std::vector<SearchableArchive> Joined(std::vector<SearchableArchive> first,
                                      const std::vector<SearchableArchive>& second);

}  // namespace search
