// Comparisons of URL texts byte for byte, where only the ASCII letters match
// without regard to case: the words of the vexost: grammar ("vexost:", "file:",
// "FirmCode:", ".vxb", ".pdf") are matched by no other character.
#pragma once

#include <algorithm>
#include <string_view>

inline char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

inline bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

inline bool AsciiStartsWithNoCase(std::string_view text, std::string_view word) {
  return AsciiEqualNoCase(text.substr(0, word.size()), word);
}

inline bool AsciiEndsWithNoCase(std::string_view text, std::string_view word) {
  return text.size() >= word.size() && AsciiEqualNoCase(text.substr(text.size() - word.size()), word);
}

// Position of the first WORD in TEXT, ASCII letters in any case; npos when none.
inline std::size_t AsciiFindNoCase(std::string_view text, std::string_view word) {
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i)
    if (AsciiStartsWithNoCase(text.substr(i), word)) return i;
  return std::string_view::npos;
}
