#include "search/PageCharset.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/CodePage.h"

namespace search {

namespace {

constexpr std::size_t kPrescan = 1024;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The length of the UTF-8 sequence at TEXT[AT], or 0 when it is not valid there
// (overlong forms, surrogates and values beyond U+10FFFF are not).
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  if (lead == 0xE0 && byte(1) < 0xA0) return 0;  // overlong
  if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && byte(1) < 0x90) return 0;  // overlong
  if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

// The value after "charset=" or "encoding=" at AT: quoted or up to a delimiter.
std::string ValueAt(std::string_view text, std::size_t at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (at < text.size() && (text[at] == '"' || text[at] == '\'')) ++at;
  std::size_t end = at;
  while (end < text.size() && !std::strchr(" \t\r\n\"';>/", text[end])) ++end;
  return std::string(text.substr(at, end - at));
}

// Labels that browsers read as a wider character set than the one they name.
std::string ConverterName(const std::string& charset) {
  static constexpr std::pair<std::string_view, std::string_view> kWider[] = {
      {"iso-8859-1", "windows-1252"}, {"iso8859-1", "windows-1252"}, {"latin1", "windows-1252"},
      {"us-ascii", "windows-1252"},   {"ascii", "windows-1252"},      {"gb2312", "gbk"},
      {"iso-8859-9", "windows-1254"}, {"tis-620", "windows-874"}};
  for (const auto& [label, name] : kWider)
    if (charset == label) return std::string(name);
  return charset;
}

std::string Convert(std::string_view page, const std::string& charset, bool& known) {
  iconv_t converter = iconv_open("UTF-8", ConverterName(charset).c_str());
  known = converter != reinterpret_cast<iconv_t>(-1);
  if (!known) return {};
  std::string out;
  out.reserve(page.size() + page.size() / 2);
  char buffer[16384];
  char* in = const_cast<char*>(page.data());
  std::size_t inLeft = page.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An invalid or cut-off sequence: one byte is replaced and skipped.
      out += kReplacement;
      ++in;
      --inLeft;
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(converter);
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    // Runs of ASCII, the bulk of pages, eight bytes at a time.
    std::uint64_t eight;
    if (at + 8 <= text.size() && (std::memcpy(&eight, text.data() + at, 8), (eight & 0x8080808080808080ull) == 0)) {
      at += 8;
      continue;
    }
    const std::size_t length = SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string ValidUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 16);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = SequenceLength(text, at);
    if (length == 0) {
      out += kReplacement;
      ++at;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

std::string DeclaredCharset(std::string_view page) {
  if (page.starts_with("\xEF\xBB\xBF")) return "utf-8";
  if (page.starts_with("\xFF\xFE") || page.starts_with("\xFE\xFF")) return "utf-16";
  const std::string head = Lower(page.substr(0, kPrescan));
  if (head.starts_with("<?xml")) {
    const std::size_t end = head.find("?>");
    const std::size_t at = head.find("encoding=");
    if (at != std::string::npos && at < end) return ValueAt(head, at + 9);
  }
  for (std::size_t meta = head.find("<meta"); meta != std::string::npos;
       meta = head.find("<meta", meta + 5)) {
    const std::size_t end = std::min(head.find('>', meta), head.size());
    const std::size_t at = head.find("charset", meta);
    if (at == std::string::npos || at >= end) continue;
    std::size_t equals = at + 7;
    while (equals < end && (head[equals] == ' ' || head[equals] == '\t')) ++equals;
    if (equals < end && head[equals] == '=') return ValueAt(head, equals + 1);
  }
  return {};
}

std::string PageToUtf8(std::string_view page) {
  std::string charset = DeclaredCharset(page);
  if (page.starts_with("\xEF\xBB\xBF")) page.remove_prefix(3);
  // A page whose declaration could be read as ASCII is no UTF-16 page, whatever
  // it declares; only a byte-order mark makes one.
  if (!page.starts_with("\xFF\xFE") && !page.starts_with("\xFE\xFF") &&
      charset.starts_with("utf-16"))
    charset.clear();
  if (!charset.empty() && charset != "utf-8" && charset != "utf8") {
    bool known = false;
    std::string converted = Convert(page, charset, known);
    if (known) return ValidUtf8(converted);
    charset.clear();
  }
  if (charset.empty() && !IsValidUtf8(page)) return Cp1252ToUtf8(page);
  return ValidUtf8(page);
}

}  // namespace search
