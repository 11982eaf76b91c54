#include "tools/vxb/ShownText.h"

#include <cstdio>

namespace vxb {

namespace {

void AppendHex(std::string& shown, unsigned char byte) {
  char escape[5];
  std::snprintf(escape, sizeof escape, "\\x%02X", byte);
  shown += escape;
}

}  // namespace

std::string ShownText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    // C1 controls, U+0080 to U+009F, are the UTF-8 pairs C2 80 to C2 9F.
    const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c1) {
      AppendHex(shown, byte);
      AppendHex(shown, static_cast<unsigned char>(text[++i]));
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
