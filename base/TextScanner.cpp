#include "base/TextScanner.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/FileApis.h"

namespace vxs {

namespace {

unsigned char Byte(const char* p) { return static_cast<unsigned char>(*p); }

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Number of bytes of the UTF-8 character that lead byte C begins (1 for any other).
std::size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 1;
}

// True when the byte at P continues a UTF-8 character begun before it.
bool ContinuesUtf8Character(const char* text, const char* p) {
  for (std::size_t back = 1; back <= 3 && p - back >= text; ++back) {
    const unsigned char c = Byte(p - back);
    if (!IsContinuationByte(c)) return Utf8SequenceLength(c) > back;
  }
  return false;
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
unsigned char ToLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Value of C as a digit of BASE, or -1.
int DigitValue(unsigned char c, unsigned base) {
  int v = -1;
  if (IsDigit(c)) v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return (v >= 0 && static_cast<unsigned>(v) < base) ? v : -1;
}

}  // namespace

std::size_t BlankLength(const char* text, const char* p, bool noBreakSpace) {
  const unsigned char c = Byte(p);
  if (c == ' ' || c == '\t') return 1;
  if (!noBreakSpace) return 0;
  if (c == 0xC2 && Byte(p + 1) == 0xA0) return 2;
  if (c == 0xA0 && !ContinuesUtf8Character(text, p)) return 1;
  return 0;
}

std::string ShortenForLocation(std::string_view text) {
  if (text.size() <= 30) return std::string(text);
  std::size_t cut = 27;
  while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(text[cut]))) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

void TextScanner::AttachText(const char* text) {
  m_pText = m_pCursor = m_pTokenStart = m_pTokenEnd = text ? text : "";
  m_current = Byte(m_pCursor);
}

std::size_t TextScanner::BlankLength(const char* p) const {
  return vxs::BlankLength(m_pText, p, AreFileApisANSI());
}

unsigned char TextScanner::LookAt() { return m_current = Byte(m_pCursor); }

unsigned char TextScanner::SkipBlanks() {
  while (std::size_t n = BlankLength(m_pCursor)) m_pCursor += n;
  return LookAt();
}

void TextScanner::MarkTokenEnd(int mode) {
  const char* p = m_pTokenStart;
  switch (mode) {
    case kTokenToTextEnd:
      p += std::strlen(p);
      break;
    case kTokenToCursor:
      p = m_pCursor;
      break;
    default:
      while (*p && !IsBlankAt(p) && !(mode == kTokenToBlankOrCursor && p >= m_pCursor)) ++p;
      break;
  }
  m_pTokenEnd = std::max(p, m_pTokenStart);
}

std::string TextScanner::GetToken(int mode) {
  if (mode != kTokenToTextEnd) MarkTokenEnd(mode);
  if (!m_pTokenStart || m_pTokenEnd < m_pTokenStart) return {};
  return std::string(m_pTokenStart, m_pTokenEnd);
}

void TextScanner::ThrowAtToken(std::uint32_t code, std::string arg2) {
  RaiseSyntaxError(code, GetToken(kTokenToTextEnd), std::move(arg2), {});
}

void TextScanner::RaiseSyntaxError(std::uint32_t code, std::string arg1, std::string arg2,
                                   std::string location) {
  ThrowSyntaxError(code, std::move(arg1), std::move(arg2), std::move(location));
  std::terminate();  // a scanner whose ThrowSyntaxError returns is broken
}

void TextScanner::ThrowFrom(const char* start, std::uint32_t code) {
  m_pTokenStart = start;
  MarkTokenEnd(kTokenToBlank);
  ThrowAtToken(code);
}

void TextScanner::ThrowUpToCursor(const char* start, std::uint32_t code) {
  m_pTokenStart = start;
  MarkTokenEnd(kTokenToCursor);
  ThrowAtToken(code);
}

bool TextScanner::BeginString(std::string&) { return true; }
bool TextScanner::EndString(std::string&) { return true; }
bool TextScanner::HandleEscape(std::string&) { return false; }

int TextScanner::ReadKeyword(std::string_view list, unsigned flags) {
  if (flags & kSkipBlanks) SkipBlanks();
  const char* start = m_pCursor;
  std::string word;
  for (unsigned char c = Byte(m_pCursor);
       IsAsciiLetter(c) || ((flags & kKeywordDigits) && IsDigit(c)); c = Byte(++m_pCursor)) {
    if (word.size() < 32) word += static_cast<char>(ToLower(c));
  }
  LookAt();
  if (word.empty()) return 0;

  int found = -1, candidates = 0, index = 0;
  for (std::size_t pos = 0; pos <= list.size();) {
    std::size_t tab = list.find('\t', pos);
    if (tab == std::string_view::npos) tab = list.size();
    const std::string_view keyword = list.substr(pos, tab - pos);
    ++index;
    if (keyword == word) {
      found = index;
      candidates = 1;
      break;
    }
    if (!(flags & kKeywordWhole) && keyword.starts_with(word)) {
      if (candidates++ == 0) found = index;
    }
    pos = tab + 1;
  }
  if (candidates > 1) ThrowUpToCursor(start, 2025);
  if (found < 0) {
    m_pCursor = start;
    LookAt();
    return -1;
  }
  if (flags & kSkipBlanks) SkipBlanks();
  return found;
}

std::uint32_t TextScanner::ReadDigitsChecked(const char* tokenStart, unsigned base,
                                             unsigned flags, std::uint32_t maximum,
                                             std::uint32_t noDigitsCode) {
  std::uint64_t value = 0;
  bool overflow = false;
  const char* digits = m_pCursor;
  for (int d = DigitValue(Byte(m_pCursor), base); d >= 0; d = DigitValue(Byte(++m_pCursor), base)) {
    value = value * base + static_cast<unsigned>(d);
    if (value > 0xFFFFFFFFu) {
      overflow = true;
      value = 0xFFFFFFFFu;
    }
  }
  LookAt();
  if (m_pCursor == digits) ThrowFrom(tokenStart, noDigitsCode);
  if (overflow && !(flags & kSaturate)) ThrowUpToCursor(tokenStart, 2005);
  if (maximum != 0 && value > maximum) ThrowUpToCursor(tokenStart, 2005);
  return static_cast<std::uint32_t>(value);
}

std::uint32_t TextScanner::ReadDecimal(unsigned flags, std::uint32_t maximum) {
  if (flags & kSkipBlanks) SkipBlanks();
  const std::uint32_t value = ReadDigitsChecked(m_pCursor, 10, flags, maximum, 2020);
  if (flags & kSkipBlanks) SkipBlanks();
  return value;
}

std::int32_t TextScanner::ReadSigned(unsigned flags, std::uint32_t maximum) {
  if (flags & kSkipBlanks) SkipBlanks();
  const char* start = m_pCursor;
  const bool negative = *m_pCursor == '-';
  if (negative || *m_pCursor == '+') ++m_pCursor;
  const std::uint32_t magnitude = ReadDigitsChecked(start, 10, flags, maximum, 2020);
  const std::uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
  std::int64_t value = magnitude;
  if (magnitude > limit) {
    if (!(flags & kSaturate)) ThrowUpToCursor(start, 2005);
    value = limit;
  }
  if (flags & kSkipBlanks) SkipBlanks();
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::uint32_t TextScanner::ReadNumber(unsigned flags, std::uint32_t maximum) {
  if (flags & kSkipBlanks) SkipBlanks();
  const char* start = m_pCursor;
  unsigned base = 10;
  std::uint32_t noDigitsCode = 2020;
  if (flags & kHexadecimal) {
    base = 16;
    noDigitsCode = 2021;
  } else if (m_pCursor[0] == '0' && (m_pCursor[1] == 'x' || m_pCursor[1] == 'X')) {
    m_pCursor += 2;
    base = 16;
    noDigitsCode = 2021;
  } else if ((flags & kOctal) && m_pCursor[0] == '0') {
    base = 8;
  }
  const std::uint32_t value = ReadDigitsChecked(start, base, flags, maximum, noDigitsCode);
  if (flags & kSkipBlanks) SkipBlanks();
  return value;
}

std::size_t TextScanner::ReadHexBytes(BYTE* buffer, std::size_t count, unsigned flags) {
  if (flags & kSkipBlanks) SkipBlanks();
  std::fill(buffer, buffer + count, BYTE{0});
  const char* start = m_pCursor;
  std::size_t digits = 0;
  while (digits < 2 * count && DigitValue(Byte(m_pCursor + digits), 16) >= 0) ++digits;
  if ((flags & kAllDigits) && digits < 2 * count) ThrowFrom(start, 2021);
  // Digit i of the text fills nibble (2 * count - digits + i) of the buffer,
  // so the bytes end at the end of the buffer, most significant first.
  const std::size_t first = 2 * count - digits;
  for (std::size_t i = 0; i < digits; ++i) {
    const std::size_t nibble = first + i;
    const int v = DigitValue(Byte(m_pCursor++), 16);
    buffer[nibble / 2] |= static_cast<BYTE>(nibble % 2 ? v : v << 4);
  }
  LookAt();
  if (flags & kSkipBlanks) SkipBlanks();
  return (digits + 1) / 2;
}

std::uint32_t TextScanner::ReadGuidNumber(std::uint32_t maximum) {
  return ReadDigitsChecked(m_pCursor, 16, 0, maximum, 2021);
}

std::size_t TextScanner::ReadGuidBytes(BYTE* buffer, std::size_t count) {
  const char* start = m_pCursor;
  const std::size_t filled = ReadHexBytes(buffer, count, 0);
  if (filled == 0) ThrowFrom(start, 2021);
  return filled;
}

void TextScanner::ExpectGuidChar(const char* guidStart, char c) {
  if (*m_pCursor != c) ThrowFrom(guidStart, 2023);
  ++m_pCursor;
}

void TextScanner::ReadGuid(GUID& out, unsigned flags) {
  if (flags & kSkipBlanks) SkipBlanks();
  const char* start = m_pCursor;
  const bool braces = *m_pCursor == '{';
  if (braces) ++m_pCursor;
  else if (flags & kBraces) ThrowFrom(start, 2023);
  GUID guid{};
  guid.Data1 = ReadGuidNumber(0);
  ExpectGuidChar(start, '-');
  guid.Data2 = static_cast<WORD>(ReadGuidNumber(0xFFFF));
  ExpectGuidChar(start, '-');
  guid.Data3 = static_cast<WORD>(ReadGuidNumber(0xFFFF));
  ExpectGuidChar(start, '-');
  ReadGuidBytes(guid.Data4, 2);
  ExpectGuidChar(start, '-');
  ReadGuidBytes(guid.Data4 + 2, 6);
  if (braces) ExpectGuidChar(start, '}');
  LookAt();
  out = guid;
  if (flags & kSkipBlanks) SkipBlanks();
}

}  // namespace vxs
