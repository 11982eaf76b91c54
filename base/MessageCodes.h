// Error codes: severity by range, the generic codes, and the numbers of the
// message-table texts that compose a message.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vxs {

// Codes that carry their text in argument 1.
inline constexpr std::uint32_t kGenericFatalError = 1000;
inline constexpr std::uint32_t kGenericError = 2000;
inline constexpr std::uint32_t kGenericWarning = 4000;

inline constexpr std::uint32_t kOutOfMemory = 1014;

// The code prefix of every deliverable's application descriptor.
inline constexpr const char* kCodePrefix = "VK";

// Texts of the table used to build messages.
inline constexpr unsigned kTextUndocumented = 55296;  // "Undocumented/internal (%1)"
inline constexpr unsigned kTextError = 55297;
inline constexpr unsigned kTextWarning = 55298;
inline constexpr unsigned kTextFatalError = 55299;
inline constexpr unsigned kTextFileLocation = 55336;  // "file \"%1\""

// The built-in English texts (used with the built-in groups, or where the
// program carries no table).
inline constexpr const char* kBuiltInUndocumented = "undocumented/internal (%u)";
inline constexpr const char* kBuiltInFatalError = "fatal error";
inline constexpr const char* kBuiltInError = "error";
inline constexpr const char* kBuiltInWarning = "warning";

// The severity of a code's range: 1 fatal error (below 2000), 0 error (below
// 4000), -1 warning.
constexpr std::int32_t SeverityOfCode(std::uint32_t code) {
  return code < 2000 ? 1 : code < 4000 ? 0 : -1;
}

// The generic code of CODE's range (1000, 2000 or 4000).
constexpr std::uint32_t GenericCodeOf(std::uint32_t code) {
  return code < 2000 ? kGenericFatalError : code < 4000 ? kGenericError : kGenericWarning;
}

constexpr bool IsGenericCode(std::uint32_t code) {
  return code == kGenericFatalError || code == kGenericError || code == kGenericWarning;
}

// The severity word: the built-in English word when BUILTIN, else the table's
// (55299, 55297, 55298 for severity 1 or more, 0, below 0), falling back to the
// built-in word when the program carries no table.
const char* SeverityWord(std::int32_t severity, bool builtIn);

// The text of a code without one: the table's 55296, or the built-in text when
// BUILTIN or when the program carries no table; CODE in place of its placeholder.
// Written into DEST (room for DESTSIZE bytes); returns the length.
std::size_t FormatUndocumented(char* dest, std::size_t destSize, std::uint32_t code, bool builtIn);

}  // namespace vxs
