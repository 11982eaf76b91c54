#include "platform/SystemTime.h"

#include <ctime>

namespace {
// Seconds from 1 January 1601 to 1 January 1970.
constexpr std::uint64_t kUnixEpochInFileTimeSeconds = 11'644'473'600ull;
}  // namespace

void GetSystemTimeAsFileTime(FILETIME* time) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t units = (static_cast<std::uint64_t>(now.tv_sec) + kUnixEpochInFileTimeSeconds) *
                            kFileTimeUnitsPerSecond +
                        static_cast<std::uint64_t>(now.tv_nsec) / 100;
  *time = FileTimeFromUInt64(units);
}
