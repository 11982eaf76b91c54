#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(SystemError, MapsErrnoToWindowsNumbers) {
  EXPECT_EQ(WinErrorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinErrorFromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(WinErrorFromErrno(EACCES), ERROR_ACCESS_DENIED);
  EXPECT_EQ(WinErrorFromErrno(EEXIST), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(WinErrorFromErrno(ENOSPC), ERROR_DISK_FULL);
  EXPECT_EQ(WinErrorFromErrno(EBADF), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WinErrorFromErrno(EIO), ERROR_IO_DEVICE);
  EXPECT_EQ(WinErrorFromErrno(EISDIR), ERROR_DIRECTORY_NOT_SUPPORTED);
}

TEST(SystemError, LastErrorIsPerThreadAndTakenFromErrno) {
  errno = ENOENT;
  EXPECT_EQ(SetLastErrorFromErrno(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}
