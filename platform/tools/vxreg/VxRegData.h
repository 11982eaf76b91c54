// Value types and data as vxreg shows and takes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

// REG_SZ, REG_DWORD ... for a type number; REG_UNKNOWN(n) for others.
std::string VxRegTypeName(DWORD type);
// The type number of a name (without regard to case); nothing for an unknown name.
std::optional<DWORD> VxRegTypeOfName(std::string_view name);

// The data as query shows it: texts up to their first zero, multi-texts joined
// by the two characters \0, numbers as 0x and lower-case hexadecimal digits,
// everything else as upper-case hexadecimal bytes.
std::string VxRegShowData(DWORD type, const std::string& bytes);

// The bytes to store for TEXT given on the command line as data of TYPE: texts
// get their terminating zero, a multi-text is split at \0, numbers are decimal
// or 0x hexadecimal, binary data are pairs of hexadecimal digits. Nothing when
// TEXT does not fit TYPE.
std::optional<std::string> VxRegParseData(DWORD type, std::string_view text);
