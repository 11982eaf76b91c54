// The message table: numbered texts of the program's resources. Programs that
// carry the table install it at start (InstallMessageTable); without it every
// lookup is empty, and codes are reported by the rule for codes without text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Loads text NUMBER (at most 255 characters) into the next of six rotating
// 256-byte buffers and returns it; an absent text gives "".
const char* LoadMessageText(unsigned number);

// Copies TEMPLATE into DEST (room for DESTSIZE bytes, always zero-terminated),
// replacing %1..%9 and %A..%Z by ARGS[0..34] (nothing where absent or beyond COUNT);
// '%' before any other character writes that character. Returns the length written.
std::size_t SubstitutePlaceholders(char* dest, std::size_t destSize, const char* tmpl,
                                   const char* const* args, unsigned count);

// Standard-string convenience over SubstitutePlaceholders.
std::string SubstitutePlaceholders(const std::string& tmpl, const std::string* args,
                                   unsigned count);

// The source LoadMessageText reads: text NUMBER, or an empty view when absent.
using MessageTableLookup = std::string_view (*)(unsigned number);

// Makes LOOKUP the program's message table; nullptr removes the table.
void SetMessageTable(MessageTableLookup lookup);
