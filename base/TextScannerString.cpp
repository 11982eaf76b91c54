// ReadString: one string, quoted or not, with C escapes, joined quoted pieces
// and optional line breaks.
#include "base/TextScanner.h"

namespace vxs {

namespace {

constexpr char kLineBreak[] = "\r\n";

unsigned char Byte(const char* p) { return static_cast<unsigned char>(*p); }
bool IsLineBreakChar(unsigned char c) { return c == '\r' || c == '\n'; }

// Skips one line break at P (CR, LF, or a CR LF or LF CR pair).
const char* SkipLineBreak(const char* p) {
  const unsigned char first = Byte(p++);
  if (IsLineBreakChar(Byte(p)) && Byte(p) != first) ++p;
  return p;
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctalDigit(unsigned char c) { return c >= '0' && c <= '7'; }

// The character a simple escape stands for (0 when C begins no simple escape).
char SimpleEscape(unsigned char c) {
  switch (c) {
    case '"': case '\'': case '?': case '\\': return static_cast<char>(c);
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    default: return 0;
  }
}

}  // namespace

bool TextScanner::ReadString(std::string& out, unsigned flags, std::size_t maxLength) {
  if (flags & kSkipBlanks) SkipBlanks();
  out.clear();
  const char* start = m_pCursor;
  if (!BeginString(out)) return false;
  try {
    ReadStringBody(out, flags, maxLength, start);
  } catch (...) {
    EndString(out);
    throw;
  }
  const bool accepted = EndString(out);
  if (flags & kSkipBlanks) SkipBlanks();
  LookAt();
  return accepted;
}

void TextScanner::ReadStringBody(std::string& out, unsigned flags, std::size_t maxLength,
                                 const char* start) {
  if (AtEnd()) ThrowUpToCursor(start, 2024);
  if (*m_pCursor != '"') {
    if (flags & kQuotesRequired) ThrowFrom(start, 2023);
    ReadUnquotedString(out, flags, maxLength, start);
    return;
  }
  do {
    ReadQuotedPiece(out, flags, maxLength, start);
  } while (JoinNextPiece(out, flags));
  if (maxLength != 0 && out.size() > maxLength) ThrowUpToCursor(start, 2007);
}

void TextScanner::ReadUnquotedString(std::string& out, unsigned flags, std::size_t maxLength,
                                     const char* start) {
  while (!AtEnd() && !((flags & kEndAtBlank) && IsBlankAt(m_pCursor))) {
    const unsigned char c = Byte(m_pCursor);
    if (c == '\\') {
      ReadEscape(out, flags);
    } else if ((flags & kLineBreaks) && IsLineBreakChar(c)) {
      m_pCursor = SkipLineBreak(m_pCursor);
      AppendStringChar(out, kLineBreak, maxLength, start);
    } else if (c < 0x20) {
      ThrowUpToCursor(start, 2006);
    } else {
      ++m_pCursor;
      AppendStringChar(out, std::string_view(m_pCursor - 1, 1), maxLength, start);
    }
    if (maxLength != 0 && out.size() > maxLength) ThrowUpToCursor(start, 2007);
  }
  if ((flags & kEndAtBlank) && m_pCursor == start) ThrowUpToCursor(start, 2024);
}

void TextScanner::ReadQuotedPiece(std::string& out, unsigned flags, std::size_t maxLength,
                                  const char* start) {
  ++m_pCursor;  // the opening quote
  if (flags & kRaw) AppendStringChar(out, "\"", maxLength, start);
  for (;;) {
    const unsigned char c = Byte(m_pCursor);
    if (c == '"') break;
    if (c == '\\') {
      ReadEscape(out, flags);
    } else if ((flags & kLineBreaks) && IsLineBreakChar(c)) {
      m_pCursor = SkipLineBreak(m_pCursor);
      AppendStringChar(out, kLineBreak, maxLength, start);
    } else if (c < 0x20) {  // also the end of the text: the string is still open
      ThrowUpToCursor(start, 2006);
    } else {
      ++m_pCursor;
      AppendStringChar(out, std::string_view(m_pCursor - 1, 1), maxLength, start);
    }
    if (maxLength != 0 && out.size() > maxLength) ThrowUpToCursor(start, 2007);
  }
  ++m_pCursor;  // the closing quote
  if (flags & kRaw) AppendStringChar(out, "\"", maxLength, start);
}

// After a closing quote: blanks (with kSkipBlanks) and line breaks (with
// kLineBreaks) may stand before another quoted piece, which continues the
// string. Without one the cursor stays behind the closing quote.
bool TextScanner::JoinNextPiece(std::string& out, unsigned flags) {
  const char* p = m_pCursor;
  std::size_t lineBreaks = 0;
  for (;;) {
    if (std::size_t n = (flags & kSkipBlanks) ? BlankLength(p) : 0) {
      p += n;
    } else if ((flags & kLineBreaks) && IsLineBreakChar(Byte(p))) {
      p = SkipLineBreak(p);
      ++lineBreaks;
    } else {
      break;
    }
  }
  if (*p != '"') return false;
  while (lineBreaks--) out += kLineBreak;
  m_pCursor = p;
  return true;
}

// The cursor is on a backslash. A backslash before a control character (or
// the end of the text) is dropped and the control character is left to the
// caller's rules.
void TextScanner::ReadEscape(std::string& out, unsigned flags) {
  ++m_pCursor;
  if (HandleEscape(out)) return;
  const unsigned char c = Byte(m_pCursor);
  if (flags & kRaw) {
    out += '\\';
    if (c >= 0x20) {
      out += static_cast<char>(c);
      ++m_pCursor;
    }
    return;
  }
  if (c < 0x20) return;
  if (const char simple = SimpleEscape(c)) {
    out += simple;
    ++m_pCursor;
  } else if (c == 'n') {
    out += kLineBreak;
    ++m_pCursor;
  } else if (IsOctalDigit(c)) {
    unsigned value = 0;
    for (int i = 0; i < 3 && IsOctalDigit(Byte(m_pCursor)); ++i) value = value * 8 + (*m_pCursor++ - '0');
    out += static_cast<char>(value & 0xFF);
  } else if (c == 'x') {
    unsigned value = 0;
    ++m_pCursor;
    for (int d = HexValue(Byte(m_pCursor)); d >= 0; d = HexValue(Byte(++m_pCursor))) {
      value = ((value << 4) | static_cast<unsigned>(d)) & 0xFF;
    }
    out += static_cast<char>(value);
  } else {
    out += static_cast<char>(c);
    ++m_pCursor;
  }
}

void TextScanner::AppendStringChar(std::string& out, std::string_view chars,
                                   std::size_t maxLength, const char* start) {
  out += chars;
  if (maxLength != 0 && out.size() > maxLength) ThrowUpToCursor(start, 2007);
}

}  // namespace vxs
