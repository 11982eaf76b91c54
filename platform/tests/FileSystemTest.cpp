#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "platform/Environment.h"
#include "platform/FileFaults.h"
#include "platform/SystemError.h"
#include "platform/tests/TempFolder.h"

using os::FileCall;

namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  std::string ReadWhole(const std::string& path, std::size_t count) {
    os::FileHandle file = os::OpenFile(path, GENERIC_READ, OPEN_EXISTING, 0);
    EXPECT_NE(file, os::INVALID_FILE_HANDLE);
    std::string bytes(count, '\0');
    std::size_t done = 0;
    EXPECT_TRUE(os::ReadFile(file, bytes.data(), count, done));
    bytes.resize(done);
    EXPECT_TRUE(os::CloseFile(file));
    return bytes;
  }
  TempFolder m_folder;
};

TEST_F(FileSystemTest, MissingFilesAndFoldersAreToldApartOnlyRegularFilesOpenAndNothingBlocks) {
  EXPECT_EQ(os::OpenFile(m_folder / "none.vxb", GENERIC_READ, OPEN_EXISTING, 0),
            os::INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(os::OpenFile(m_folder / "no/none.vxb", GENERIC_READ, OPEN_EXISTING, 0),
            os::INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(os::OpenFile(m_folder / "no/new.vxb", GENERIC_WRITE, CREATE_NEW, 0),
            os::INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  // Backslashes reach the file system as slashes.
  m_folder.Write("a.txt", "abc");
  std::string path = m_folder.Path() + "\\a.txt";
  EXPECT_EQ(os::QueryPath(path), os::PathKind::File);
  EXPECT_EQ(os::QueryPath(m_folder.Path() + "\\"), os::PathKind::Folder);
  // Only regular files open: a pipe without a writer or reader would block for ever.
  const std::string fifo = m_folder / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    DWORD access, disposition, error;
  };
  const Case cases[] = {
      {m_folder.Path(), GENERIC_READ, OPEN_EXISTING, ERROR_DIRECTORY_NOT_SUPPORTED},
      {m_folder.Path(), GENERIC_WRITE, CREATE_ALWAYS, ERROR_DIRECTORY_NOT_SUPPORTED},
      {fifo, GENERIC_READ, OPEN_EXISTING, ERROR_BAD_FILE_TYPE},
      {fifo, GENERIC_WRITE, CREATE_ALWAYS, ERROR_BAD_FILE_TYPE},
      {fifo, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, ERROR_BAD_FILE_TYPE},
      {"/dev/null", GENERIC_READ, OPEN_EXISTING, ERROR_BAD_FILE_TYPE},
      {"/dev/zero", GENERIC_WRITE, CREATE_ALWAYS, ERROR_BAD_FILE_TYPE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(os::OpenFile(c.path, c.access, c.disposition, 0), os::INVALID_FILE_HANDLE) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path << " " << c.access;
  }
  // A file opened without blocking reads as any other.
  EXPECT_EQ(ReadWhole(m_folder.Write("a.txt", "abc"), 10), "abc");
  EXPECT_FALSE(os::DeleteFile(m_folder.Path()));  // refused as the original platform refuses it
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileSystemTest, DispositionsBehaveAsOnTheOriginalPlatformSeekLengthAndTruncate) {
  const std::string path = m_folder / "d.bin";
  os::FileHandle file = os::OpenFile(path, GENERIC_WRITE, CREATE_NEW, 0);
  ASSERT_NE(file, os::INVALID_FILE_HANDLE);
  ASSERT_TRUE(os::WriteFile(file, "12345", 5));
  ASSERT_TRUE(os::CloseFile(file));
  EXPECT_EQ(os::OpenFile(path, GENERIC_WRITE, CREATE_NEW, 0), os::INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

  file = os::OpenFile(path, GENERIC_WRITE, OPEN_ALWAYS, 0);  // keeps the bytes
  ASSERT_TRUE(os::CloseFile(file));
  EXPECT_EQ(ReadWhole(path, 10), "12345");
  file = os::OpenFile(path, GENERIC_WRITE, TRUNCATE_EXISTING, 0);
  ASSERT_TRUE(os::CloseFile(file));
  EXPECT_EQ(ReadWhole(path, 10), "");
  EXPECT_EQ(os::OpenFile(path, GENERIC_READ, 9, 0), os::INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // Seek, length and truncation.
  m_folder.Write("d.bin", "0123456789");
  file = os::OpenFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, 0);
  std::uint64_t position = 0, length = 0;
  ASSERT_TRUE(os::SeekFile(file, -3, FILE_END, position));
  EXPECT_EQ(position, 7u);
  char bytes[8];
  std::size_t done = 0;
  ASSERT_TRUE(os::ReadFile(file, bytes, sizeof bytes, done));
  EXPECT_EQ(done, 3u);
  EXPECT_FALSE(os::SeekFile(file, -20, FILE_CURRENT, position));
  ASSERT_TRUE(os::SetFileLength(file, 4));
  ASSERT_TRUE(os::GetFileLength(file, length));
  EXPECT_EQ(length, 4u);
  EXPECT_TRUE(os::CloseFile(file));
  EXPECT_FALSE(os::CloseFile(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileSystemTest, FoldersTemporaryFilesAndTheFileHook) {
  EXPECT_TRUE(os::CreateFolder(m_folder / "sub"));
  EXPECT_FALSE(os::CreateFolder(m_folder / "sub"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(os::CreateFolder(m_folder / "x/y"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  std::string first, second;
  ASSERT_TRUE(os::CreateTempFile(m_folder / "sub", "~vxs", first));
  ASSERT_TRUE(os::CreateTempFile(m_folder / "sub/", "~vxs", second));
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind(m_folder / "sub/~vxs", 0), 0u);
  EXPECT_EQ(first.size(), (m_folder / "sub/~vxs").size() + 8);  // four digits and ".tmp"
  EXPECT_EQ(os::QueryPath(first), os::PathKind::File);
  EXPECT_FALSE(os::CreateTempFile(m_folder / "none", "~vxs", first));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  // The hook refuses, shortens, counts, pretends a current folder and uninstalls.
  const std::string path = m_folder.Write("h.bin", "0123456789");
  FileFaults faults;
  faults.Add({FileCall::Open, "h.bin", ERROR_ACCESS_DENIED, SIZE_MAX, 1, 1});  // the second open
  faults.Add({FileCall::Read, "h.bin", ERROR_SUCCESS, 4});
  EXPECT_EQ(ReadWhole(path, 10), "0123");
  EXPECT_EQ(os::OpenFile(path, GENERIC_READ, OPEN_EXISTING, 0), os::INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadWhole(path, 10), "0123");
  EXPECT_EQ(faults.Count(FileCall::Open), 3u);
  EXPECT_EQ(faults.Count(FileCall::Read), 2u);
  const std::string real = os::CurrentFolder();
  {
    FileFaults pretend;
    pretend.PretendCurrentFolder("C:\\work");
    EXPECT_EQ(os::CurrentFolder(), "C:\\work");
  }
  EXPECT_EQ(os::CurrentFolder(), real);
}

TEST(Environment, ExpandsSetVariablesAndKeepsTheRest) {
  ::setenv("VXST_TEST_HOME", "/home/u", 1);
  ::unsetenv("VXST_TEST_UNSET");
  EXPECT_EQ(ExpandEnvironmentStrings("%VXST_TEST_HOME%/a.vxb"), "/home/u/a.vxb");
  EXPECT_EQ(ExpandEnvironmentStrings("%VXST_TEST_UNSET%/a"), "%VXST_TEST_UNSET%/a");
  EXPECT_EQ(ExpandEnvironmentStrings("50% of %VXST_TEST_HOME%"), "50% of /home/u");
  EXPECT_EQ(ExpandEnvironmentStrings("%%VXST_TEST_HOME%"), "%/home/u");
  EXPECT_EQ(ExpandEnvironmentStrings("100%"), "100%");
}

}  // namespace
