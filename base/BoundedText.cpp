#include "base/BoundedText.h"

#include <cstring>

namespace {
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t length = limit;
  // Back up to the lead byte of the character the cut would split.
  while (length > 0 && IsContinuationByte(text[length])) --length;
  return length;
}

std::size_t CopyBounded(char* dest, std::size_t destSize, std::string_view text) {
  if (destSize == 0) return 0;
  std::size_t length = Utf8PrefixLength(text, destSize - 1);
  if (length > 0) std::memcpy(dest, text.data(), length);
  dest[length] = '\0';
  return length;
}
