// The system clock as FILETIME values (100-nanosecond units since 1601, UTC).
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

void GetSystemTimeAsFileTime(FILETIME* time);

inline constexpr std::uint64_t FileTimeToUInt64(FILETIME time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline constexpr FILETIME FileTimeFromUInt64(std::uint64_t value) {
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// FILETIME units in one second.
inline constexpr std::uint64_t kFileTimeUnitsPerSecond = 10'000'000;
