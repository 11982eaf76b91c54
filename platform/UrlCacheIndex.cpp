#include "platform/UrlCacheIndex.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr std::string_view kHeader = "vexost-urlcache 1";
constexpr std::size_t kStemLength = 16;
constexpr std::size_t kMaxExtension = 16;

bool IsExtensionChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// URLs are stored with blanks, control characters and '%' written as %XX, so that
// a record stays one line of blank-separated fields.
bool NeedsEscape(unsigned char c) { return c <= 0x20 || c == 0x7F || c == '%'; }

std::string EscapeField(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (NeedsEscape(c)) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool UnescapeField(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    int high = HexValue(text[i + 1]);
    int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

template <class T>
bool ReadNumber(std::string_view field, T& value) {
  auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
  return ec == std::errc() && end == field.data() + field.size();
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t blank = line.find(' ', start);
    if (blank == std::string_view::npos) blank = line.size();
    fields.push_back(line.substr(start, blank - start));
    start = blank + 1;
  }
  return fields;
}

bool ParseRecord(std::string_view line, UrlCacheRecord& record) {
  std::vector<std::string_view> f = SplitFields(line);
  if (f.size() != 7 || (f[0] != "C" && f[0] != "P")) return false;
  record.committed = f[0] == "C";
  record.file = std::string(f[1]);
  return IsCacheFileName(record.file) && ReadNumber(f[2], record.created) &&
         ReadNumber(f[3], record.expire) && ReadNumber(f[4], record.lastModified) &&
         ReadNumber(f[5], record.entryType) && UnescapeField(f[6], record.url) &&
         !record.url.empty();
}

}  // namespace

bool IsCacheFileName(std::string_view name) {
  if (name.size() < kStemLength) return false;
  for (std::size_t i = 0; i < kStemLength; ++i)
    if (!IsLowerHex(name[i])) return false;
  std::string_view rest = name.substr(kStemLength);
  if (rest.empty()) return true;
  if (rest[0] != '.' || rest.size() < 2 || rest.size() > kMaxExtension + 1) return false;
  for (char c : rest.substr(1))
    if (!IsExtensionChar(c)) return false;
  return true;
}

std::string SanitizeCacheExtension(std::string_view extension) {
  std::string out;
  for (char c : extension)
    if (IsExtensionChar(c) && out.size() < kMaxExtension) out += c;
  return out;
}

std::vector<UrlCacheRecord> ParseUrlCacheIndex(std::string_view text) {
  std::vector<UrlCacheRecord> records;
  std::size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (first) {
      if (line != kHeader) return {};
      first = false;
      continue;
    }
    UrlCacheRecord record;
    if (ParseRecord(line, record)) records.push_back(std::move(record));
  }
  return records;
}

std::string FormatUrlCacheIndex(const std::vector<UrlCacheRecord>& records) {
  std::string text(kHeader);
  text += '\n';
  for (const UrlCacheRecord& r : records) {
    text += r.committed ? "C " : "P ";
    text += r.file + ' ' + std::to_string(r.created) + ' ' + std::to_string(r.expire) + ' ' +
            std::to_string(r.lastModified) + ' ' + std::to_string(r.entryType) + ' ' +
            EscapeField(r.url) + '\n';
  }
  return text;
}
