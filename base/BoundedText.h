// Copying text into fixed buffers without splitting a UTF-8 character.
#pragma once

#include <cstddef>
#include <string_view>

// The length of the longest prefix of TEXT that has at most LIMIT bytes and does
// not end inside a UTF-8 sequence.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit);

// Copies as much of TEXT as fits into DEST (room for DESTSIZE bytes including the
// terminating zero) without splitting a character; returns the bytes copied.
std::size_t CopyBounded(char* dest, std::size_t destSize, std::string_view text);
