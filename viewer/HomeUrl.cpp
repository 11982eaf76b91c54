#include "viewer/HomeUrl.h"

#include <string_view>

namespace {
constexpr std::string_view kScheme = "vexost:";
constexpr std::string_view kSlashes = "//";
constexpr std::string_view kFileMark = "//file:";
constexpr std::string_view kArchiveExtension = ".vxb";
constexpr std::string_view kPathEnd = "::";
// The marks that end an archive name: the topic part, a fragment or a query.
constexpr const char* kNameEnd = "/#?";
}  // namespace

void UpdateHomeUrl(const std::string& url, std::string& home) {
  if (!url.starts_with(kScheme)) return;
  const std::size_t nameStart = kScheme.size() + kSlashes.size();
  if (url.size() <= nameStart) return;
  if (url.compare(kScheme.size(), kFileMark.size(), kFileMark) == 0) {
    // The path of the file ends at "::" where the URL has one, else with its extension.
    const std::size_t end = url.find(kPathEnd, nameStart);
    if (end != std::string::npos && end > nameStart + kFileMark.size() - kSlashes.size()) {
      home = url.substr(0, end);
      return;
    }
    const std::size_t at = url.find(kArchiveExtension, nameStart);
    if (at != std::string::npos && at > nameStart) home = url.substr(0, at + kArchiveExtension.size());
    return;
  }
  // A name alone ("vexost://Manual", as the open command navigates) is a home too.
  const std::size_t end = url.find_first_of(kNameEnd, nameStart);
  if (end != nameStart) home = url.substr(0, end);
}
