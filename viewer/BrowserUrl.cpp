#include "viewer/BrowserUrl.h"

#include <cctype>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kPrefix = "vexost://";
// Characters of the archive part that a URL host cannot hold (besides its
// end marks "/", "?" and "#"). "%" stays: escapes already there (a name with
// blanks) mean to the reader what they mean to the browser.
constexpr std::string_view kEscaped = ":\\ <>@[]^|";
// The escapes read back: those that the reader's own marks and paths need
// (other escapes mean the same to the reader in either form).
constexpr std::string_view kReadBack = ":\\";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

bool HasPrefix(const std::string& url) { return StartsWithNoCase(url, kPrefix); }

// A URL that names an archive file and no topic: "vexost://file:" ... ".vxb".
bool NamesArchiveFileOnly(const std::string& url) {
  constexpr std::string_view kFileStart = "vexost://file:";
  constexpr std::string_view kExtension = ".vxb";
  return StartsWithNoCase(url, kFileStart) && url.size() > kFileStart.size() + kExtension.size() &&
         StartsWithNoCase(std::string_view(url).substr(url.size() - kExtension.size()), kExtension);
}

// The end of the archive part: the first "/", "?" or "#" after the prefix.
std::size_t ArchivePartEnd(const std::string& url) {
  const std::size_t end = url.find_first_of("/?#", kPrefix.size());
  return end == std::string::npos ? url.size() : end;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

std::string ToBrowserUrl(const std::string& url) {
  if (!HasPrefix(url)) return url;
  const std::size_t end = ArchivePartEnd(url);
  std::string out = url.substr(0, kPrefix.size());
  for (std::size_t i = kPrefix.size(); i < end; ++i) {
    const char c = url[i];
    if (kEscaped.find(c) == std::string_view::npos) {
      out += c;
      continue;
    }
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
    out += escape;
  }
  out += url.substr(end);
  // The page of an archive file named without topic gets the "/" that ends the
  // archive part, so that the browser resolves the page's relative links inside
  // the archive; the reader takes the "/" as the end of the file's path.
  if (NamesArchiveFileOnly(url)) out += '/';
  return out;
}

std::string ToReaderUrl(const std::string& url) {
  if (!HasPrefix(url)) return url;
  const std::size_t end = ArchivePartEnd(url);
  std::string out = url.substr(0, kPrefix.size());
  for (std::size_t i = kPrefix.size(); i < end; ++i) {
    const int high = i + 2 < end && url[i] == '%' ? HexValue(url[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(url[i + 2]) : -1;
    const char decoded = static_cast<char>(high * 16 + low);
    if (low >= 0 && kReadBack.find(decoded) != std::string_view::npos) {
      out += decoded;
      i += 2;
    } else {
      out += url[i];
    }
  }
  return out + url.substr(end);
}
