// System errors as Windows error numbers. The POSIX stand-ins record the number of
// their last failure per thread, as the original platform's last-error value.
#pragma once

#include "platform/WinTypes.h"

// Maps a POSIX errno value to the Windows error number the system expects.
DWORD WinErrorFromErrno(int err);

DWORD GetLastError();
void SetLastError(DWORD error);
// Records WinErrorFromErrno(errno) as the last error and returns it.
DWORD SetLastErrorFromErrno();
