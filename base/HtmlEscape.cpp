#include "base/HtmlEscape.h"

#include <array>

namespace vxs {

namespace {

constexpr std::array<std::string_view, 5> kSafeSchemes = {"vexost", "res", "http", "https",
                                                          "file"};

void AppendPercentEscape(std::string& out, unsigned char c) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool NeedsEscapeInLink(unsigned char c) {
  return c <= 0x20 || c >= 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`';
}

// The scheme of URL in lower case ("" when it has none): a letter, then letters,
// digits, '+', '-' or '.', up to a ':'.
std::string SchemeOf(std::string_view url) {
  if (url.empty() || !IsAsciiLetter(url[0])) return {};
  std::string scheme;
  for (char c : url) {
    if (c == ':') return scheme;
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return {};
    scheme += LowerAscii(c);
  }
  return {};
}

bool IsSafeScheme(const std::string& scheme) {
  for (std::string_view safe : kSafeSchemes)
    if (scheme == safe) return true;
  return false;
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EscapeLinkAddress(std::string_view url) {
  std::string address;
  std::string scheme = SchemeOf(url);
  if (!scheme.empty() && !IsSafeScheme(scheme)) address = "./";
  for (unsigned char c : url) {
    if (NeedsEscapeInLink(c))
      AppendPercentEscape(address, c);
    else
      address += static_cast<char>(c);
  }
  return EscapeHtml(address);
}

std::string EscapeUrlComponent(std::string_view text, std::string_view keep) {
  std::string out;
  for (unsigned char c : text) {
    if (IsAsciiLetter(static_cast<char>(c)) || IsAsciiDigit(static_cast<char>(c)) || c == '-' ||
        c == '.' || c == '_' || c == '~' || keep.find(static_cast<char>(c)) != std::string_view::npos)
      out += static_cast<char>(c);
    else
      AppendPercentEscape(out, c);
  }
  return out;
}

std::string UnescapeUrlComponent(std::string_view text) {
  const auto hex = [](char c) {
    if (IsAsciiDigit(c)) return c - '0';
    const char lower = static_cast<char>(c | 0x20);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = text[i] == '%' && i + 2 < text.size() ? hex(text[i + 1]) : -1;
    const int low = high >= 0 ? hex(text[i + 2]) : -1;
    if (low >= 0 && high * 16 + low != 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace vxs
