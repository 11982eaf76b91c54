#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(SystemError, MapsErrnoToWindowsNumbersAndKeepsTheLastError) {
  const std::pair<int, DWORD> cases[] = {
      {ENOENT, ERROR_FILE_NOT_FOUND}, {ENOTDIR, ERROR_PATH_NOT_FOUND}, {EIO, ERROR_IO_DEVICE},
      {EACCES, ERROR_ACCESS_DENIED}, {EEXIST, ERROR_ALREADY_EXISTS}, {ENOSPC, ERROR_DISK_FULL},
      {EBADF, ERROR_INVALID_HANDLE}, {EISDIR, ERROR_DIRECTORY_NOT_SUPPORTED}};
  for (const auto& [number, error] : cases) EXPECT_EQ(WinErrorFromErrno(number), error) << number;
  errno = ENOENT;
  EXPECT_EQ(SetLastErrorFromErrno(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}
