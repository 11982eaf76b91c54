#include "viewer/HomeUrl.h"

#include <string_view>

namespace {
constexpr std::string_view kScheme = "vexost:";
constexpr std::string_view kSlashes = "//";
constexpr std::string_view kFileMark = "//file:";
constexpr std::string_view kArchiveExtension = ".vxb";
}  // namespace

void UpdateHomeUrl(const std::string& url, std::string& home) {
  if (!url.starts_with(kScheme)) return;
  const std::size_t nameStart = kScheme.size() + kSlashes.size();
  if (url.size() <= nameStart) return;
  if (url.compare(kScheme.size(), kFileMark.size(), kFileMark) == 0) {
    const std::size_t at = url.find(kArchiveExtension, nameStart);
    if (at != std::string::npos && at > nameStart) home = url.substr(0, at + kArchiveExtension.size());
    return;
  }
  const std::size_t slash = url.find('/', nameStart);
  if (slash != std::string::npos && slash > nameStart) home = url.substr(0, slash);
}
