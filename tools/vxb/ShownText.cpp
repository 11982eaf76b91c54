#include "tools/vxb/ShownText.h"

#include <algorithm>
#include <cstdio>

namespace vxb {

namespace {

void AppendHex(std::string& shown, unsigned char byte) {
  char escape[5];
  std::snprintf(escape, sizeof escape, "\\x%02X", byte);
  shown += escape;
}

bool InRange(std::string_view text, std::size_t at, unsigned char low, unsigned char high) {
  if (at >= text.size()) return false;
  const auto byte = static_cast<unsigned char>(text[at]);
  return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence of more than one byte at AT, or 0.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  // The range of the second byte, which excludes overlong forms and surrogates.
  unsigned char low = 0x80, high = 0xBF;
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (!InRange(text, at + 1, low, high)) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!InRange(text, at + i, 0x80, 0xBF)) return 0;
  return length;
}

}  // namespace

std::string ShownText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      // C1 controls, U+0080 to U+009F, are the UTF-8 pairs C2 80 to C2 9F; bytes
      // that are no UTF-8 are shown as escapes too.
      const std::size_t length = SequenceLength(text, i);
      const bool c1 = byte == 0xC2 && length == 2 && InRange(text, i + 1, 0x80, 0x9F);
      if (length == 0 || c1) {
        for (std::size_t end = i + std::max<std::size_t>(length, 1); i < end; ++i)
          AppendHex(shown, static_cast<unsigned char>(text[i]));
      } else {
        shown.append(text.substr(i, length));
        i += length;
      }
      --i;
    } else if (byte >= 0x20 && byte != 0x7F) {
      shown += text[i];
    } else if (byte == '\t') {
      shown += "\\t";
    } else if (byte == '\n') {
      shown += "\\n";
    } else if (byte == '\r') {
      shown += "\\r";
    } else if (byte == 0x1B) {
      shown += "\\e";
    } else if (byte == 0) {
      shown += "\\0";
    } else {
      AppendHex(shown, byte);
    }
  }
  return shown;
}

}  // namespace vxb
