#include "archive/TopicName.h"

#include <algorithm>
#include <array>

#include "platform/CodePage.h"

namespace stow {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 character at POS and advances past it; an invalid sequence
// consumes one byte and gives U+FFFD.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  int extra;
  char32_t c;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  if (text.size() - pos < static_cast<std::size_t>(extra)) return kReplacement;
  for (int i = 0; i < extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  pos += extra;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char32_t UnicodeOfCp1252(char byte) {
  const std::u16string wide = Utf8ToUtf16(Cp1252ToUtf8(std::string_view(&byte, 1)));
  return wide.empty() ? 0 : wide[0];
}

// Lowered forms of the characters below U+0180 (every character that windows-1252
// lowers lies there), taken from the code page's own lowering.
constexpr char16_t kLowerTableSize = 0x180;

std::array<char16_t, kLowerTableSize> MakeLowerTable() {
  std::array<char16_t, kLowerTableSize> table{};
  for (char16_t c = 0; c < kLowerTableSize; ++c) table[c] = c;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    const char32_t upper = UnicodeOfCp1252(byte);
    if (upper < kLowerTableSize) table[upper] = static_cast<char16_t>(UnicodeOfCp1252(Cp1252ToLower(byte)));
  }
  return table;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  Utf8ToUtf16(text, out);
  return out;
}

void Utf8ToUtf16(std::string_view text, std::u16string& out) {
  if (IsAscii(text)) {
    out.assign(text.begin(), text.end());
    return;
  }
  out.clear();
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = DecodeUtf8(text, pos);
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
    } else {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  Utf16ToUtf8(text, out);
  return out;
}

void Utf16ToUtf8(std::u16string_view text, std::string& out) {
  if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
    out.assign(text.begin(), text.end());
    return;
  }
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else if (unit >= 0xD800 && unit < 0xE000) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
}

std::uint32_t TopicNameHash(std::string_view cp1252Name) {
  const std::size_t n = cp1252Name.size();
  const auto c = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(
        static_cast<signed char>(Cp1252ToLower(cp1252Name[i]))));
  };
  std::uint32_t h = c(0) - 32;
  h = h * 96 + c(n - 1) - 32;
  h = h * 96 + c(n / 2) - 32;
  h = h * 96 + c(n / 4) - 32;
  h = h * 96 + c(3 * n / 4) - 32;
  return h;
}

std::uint32_t HomeSlot(std::string_view path, std::uint32_t slotCount) {
  // ASCII is its own windows-1252 form.
  return (IsAscii(path) ? TopicNameHash(path) : TopicNameHash(Utf8ToCp1252(path))) % slotCount;
}

char16_t LowerTopicChar(char16_t c) {
  static const std::array<char16_t, kLowerTableSize> table = MakeLowerTable();
  return c < kLowerTableSize ? table[c] : c;
}

bool TopicNamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && LowerTopicChar(a[i]) != LowerTopicChar(b[i])) return false;
  }
  return true;
}

CandidatePaths::CandidatePaths(std::string_view basePath, std::string_view request)
    : m_folder(basePath), m_request(request) {}

bool CandidatePaths::Next(std::string& path) {
  if (m_given++ == 0) {
    path.assign(m_request);
    return true;
  }
  // The request alone was the first candidate: the fallback ends above the root.
  if (m_folder.empty()) return false;
  path.assign(m_folder);
  path += '/';
  path += m_request;
  const std::size_t slash = m_folder.rfind('/');
  m_folder = slash == std::string_view::npos ? std::string_view() : m_folder.substr(0, slash);
  return true;
}

}  // namespace stow
