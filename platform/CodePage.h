// windows-1252, the 8-bit code page of archive texts, at the edges where it meets
// the program's UTF-8: the string records of the container and the topic-name hash.
#pragma once

#include <string>
#include <string_view>

// Converts windows-1252 bytes to UTF-8. The five bytes that windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+0081 and so on, so that every
// byte string survives the round trip through Utf8ToCp1252.
std::string Cp1252ToUtf8(std::string_view text);

// Converts UTF-8 to windows-1252. A character the code page lacks, or a byte that
// is not valid UTF-8, becomes '?'; EXACT (when given) tells whether none did.
std::string Utf8ToCp1252(std::string_view text, bool* exact = nullptr);

// Lowers one windows-1252 character as the original platform lowers single
// characters: A-Z, the accented capitals 0xC0-0xDE (not 0xD7), and
// 0x8A, 0x8C, 0x8E, 0x9F to their small letters. Everything else stays.
char Cp1252ToLower(char c);
