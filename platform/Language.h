// The user's language as a Windows language identifier (primary language in
// the low 10 bits, sublanguage above), taken from the locale environment
// (LC_ALL, LC_MESSAGES, LANG) the way the original platform reports the
// user's default language.
#pragma once

#include "platform/WinTypes.h"

using LANGID = WORD;

inline constexpr LANGID PRIMARYLANGID(LANGID id) { return id & 0x3FF; }
inline constexpr LANGID SUBLANGID(LANGID id) { return id >> 10; }
inline constexpr LANGID MAKELANGID(WORD primary, WORD sub) {
  return static_cast<LANGID>((sub << 10) | primary);
}

// The language of a locale name such as "de_DE.UTF-8"; English (United
// States, 0x409) for "C", "POSIX", an empty name and languages not known here.
LANGID LangIdFromLocaleName(const char* locale);

LANGID GetUserDefaultLangID();
