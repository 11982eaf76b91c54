// A stand-in for the reader around the URL grammar: it records the pages
// arranged, the names resolved and the clearings of the cache entry list, and
// resolves names from a table the test fills.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "reader/RequestUrl.h"

namespace request_url_tests {

struct ArrangedPage {
  unsigned page;
  std::vector<std::string> args;
  bool operator==(const ArrangedPage&) const = default;
};

struct Resolution {
  std::string name;
  std::uint32_t firmCode;
  bool operator==(const Resolution&) const = default;
};

class RecordingServices : public RequestUrlServices {
 public:
  struct Entry {
    std::string path;
    std::uint32_t firmCode;
  };

  void ArrangePage(unsigned page, std::vector<std::string> args) override {
    pages.push_back({page, std::move(args)});
  }
  void ArrangeArchiveList() override { pages.push_back({11, {}}); }
  std::string ResolveArchive(const std::string& name, std::uint32_t& firmCode) override {
    resolutions.push_back({name, firmCode});
    auto found = registered.find(name);
    if (found == registered.end()) {
      pages.push_back({3, {name}});
      return {};
    }
    if (firmCode != RequestUrl::kNone && firmCode != found->second.firmCode) {
      pages.push_back({4, {name, std::to_string(firmCode)}});
      return {};
    }
    firmCode = found->second.firmCode;
    return found->second.path;
  }
  void ClearCacheEntries() override { ++cacheClearings; }

  std::map<std::string, Entry> registered;
  std::vector<ArrangedPage> pages;
  std::vector<Resolution> resolutions;
  int cacheClearings = 0;
};

inline std::ostream& operator<<(std::ostream& os, const ArrangedPage& page) {
  os << "page " << page.page;
  for (const std::string& arg : page.args) os << " [" << arg << "]";
  return os;
}

inline std::ostream& operator<<(std::ostream& os, const Resolution& r) {
  return os << r.name << " / " << r.firmCode;
}

}  // namespace request_url_tests
