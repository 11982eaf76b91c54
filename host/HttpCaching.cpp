#include "host/HttpCaching.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ReadNumber(std::string_view s, std::uint64_t& value) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::optional<ByteRange> ParseByteRange(std::string_view header, std::uint64_t size,
                                        bool& unsatisfiable) {
  unsatisfiable = false;
  header = Trim(header);
  if (!StartsWithNoCase(header, "bytes=")) return std::nullopt;
  std::string_view spec = Trim(header.substr(6));
  if (spec.find(',') != std::string_view::npos) return std::nullopt;
  std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  std::string_view firstText = Trim(spec.substr(0, dash));
  std::string_view lastText = Trim(spec.substr(dash + 1));
  std::uint64_t first = 0, last = 0;
  if (firstText.empty()) {  // a suffix: the last N bytes
    if (!ReadNumber(lastText, last)) return std::nullopt;
    if (last == 0 || size == 0) {
      unsatisfiable = true;
      return std::nullopt;
    }
    std::uint64_t n = std::min(last, size);
    return ByteRange{size - n, n};
  }
  if (!ReadNumber(firstText, first)) return std::nullopt;
  if (lastText.empty()) last = size ? size - 1 : 0;
  else if (!ReadNumber(lastText, last) || last < first) return std::nullopt;
  if (first >= size) {
    unsatisfiable = true;
    return std::nullopt;
  }
  last = std::min(last, size - 1);
  return ByteRange{first, last - first + 1};
}

bool EntityTagMatches(std::string_view ifNoneMatch, std::string_view etag) {
  auto opaque = [](std::string_view tag) {
    tag = Trim(tag);
    if (StartsWithNoCase(tag, "W/")) tag.remove_prefix(2);
    return tag;
  };
  std::string_view wanted = opaque(etag);
  while (!ifNoneMatch.empty()) {
    std::size_t comma = ifNoneMatch.find(',');
    std::string_view tag = opaque(ifNoneMatch.substr(0, comma));
    if (tag == "*" || tag == wanted) return true;
    if (comma == std::string_view::npos) break;
    ifNoneMatch.remove_prefix(comma + 1);
  }
  return false;
}

std::string FormatHttpDate(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday],
                tm.tm_mday, kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec);
  return text;
}

std::optional<std::int64_t> ParseHttpDate(std::string_view text) {
  std::string copy(Trim(text));
  std::tm tm{};
  char month[4] = {};
  if (std::sscanf(copy.c_str(), "%*3s, %2d %3s %4d %2d:%2d:%2d GMT", &tm.tm_mday, month,
                  &tm.tm_year, &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
    return std::nullopt;
  auto found = std::find_if(std::begin(kMonths), std::end(kMonths),
                            [&](const char* m) { return std::string_view(m) == month; });
  if (found == std::end(kMonths)) return std::nullopt;
  tm.tm_mon = static_cast<int>(found - std::begin(kMonths));
  tm.tm_year -= 1900;
  return static_cast<std::int64_t>(timegm(&tm));
}

bool IsCompressibleType(std::string_view mimeType) {
  return StartsWithNoCase(mimeType, "text/") || StartsWithNoCase(mimeType, "image/svg") ||
         StartsWithNoCase(mimeType, "application/javascript") ||
         StartsWithNoCase(mimeType, "application/json") ||
         StartsWithNoCase(mimeType, "application/xml") ||
         StartsWithNoCase(mimeType, "application/xhtml");
}

bool AcceptsGzip(std::string_view acceptEncoding) {
  while (!acceptEncoding.empty()) {
    std::size_t comma = acceptEncoding.find(',');
    std::string_view item = Trim(acceptEncoding.substr(0, comma));
    std::size_t semi = item.find(';');
    std::string_view coding = Trim(item.substr(0, semi));
    bool refused = semi != std::string_view::npos &&
                   Trim(item.substr(semi + 1)).find_first_not_of("q=0.") == std::string_view::npos;
    if ((StartsWithNoCase(coding, "gzip") && coding.size() == 4) && !refused) return true;
    if (comma == std::string_view::npos) break;
    acceptEncoding.remove_prefix(comma + 1);
  }
  return false;
}

bool Gzip(std::string_view bytes, std::string& out) {
  z_stream zs{};
  if (deflateInit2(&zs, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out.resize(deflateBound(&zs, static_cast<uLong>(bytes.size())) + 32);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zs.avail_in = static_cast<uInt>(bytes.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return rc == Z_STREAM_END;
}
