#include "platform/CaseFold.h"

#include <cstdint>

namespace {

char32_t UpperOf(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    const bool pairedOddLower = (c <= 0x137 && c != 0x130 && c != 0x131) || (c >= 0x14A && c <= 0x177);
    const bool pairedEvenLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (pairedOddLower && (c & 1)) return c - 1;
    if (pairedEvenLower && !(c & 1)) return c - 1;
    return c;
  }
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 0x20;
  if (c == 0x3C2) return 0x3A3;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  if (((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) && (c & 1)) return c - 1;
  return c;
}

// Decodes one well-formed UTF-8 sequence of two or three bytes at TEXT[POS]
// (the folded letters all lie below U+0800, so longer ones need no decoding).
// Returns its length, or 0 when the bytes there do not form one.
std::size_t DecodeTwoByte(std::string_view text, std::size_t pos, char32_t* out) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0xC2 || lead > 0xDF || pos + 1 >= text.size()) return 0;
  const auto next = static_cast<unsigned char>(text[pos + 1]);
  if ((next & 0xC0) != 0x80) return 0;
  *out = (static_cast<char32_t>(lead & 0x1F) << 6) | (next & 0x3F);
  return 2;
}

void AppendTwoByte(std::string& out, char32_t c) {
  out += static_cast<char>(0xC0 | (c >> 6));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      out += static_cast<char>(UpperOf(byte));
      ++pos;
      continue;
    }
    char32_t c = 0;
    if (const std::size_t length = DecodeTwoByte(text, pos, &c)) {
      AppendTwoByte(out, UpperOf(c));  // every upper case of a two-byte letter has two bytes
      pos += length;
      continue;
    }
    out += text[pos++];
  }
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }
