#include "base/KelFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <functional>

#include "base/KelErrorMessage.h"
#include "base/MessageText.h"
#include "base/messages/MessageTable.h"
#include "base/tests/CaughtException.h"
#include "platform/FileFaults.h"
#include "platform/SystemError.h"
#include "platform/tests/TempFolder.h"

using os::FileCall;

namespace {

using Failure = std::unique_ptr<CKelFileException>;

// The code and system error ACTION fails with, as "code/error" ("none" when it does not fail).
std::string Fails(const std::function<void()>& action) {
  const Failure e = Caught<CKelFileException>(action);
  return e ? std::to_string(e->m_code) + "/" + std::to_string(e->m_systemError) : "none";
}
std::string Code(std::uint32_t code, DWORD error) { return std::to_string(code) + "/" + std::to_string(error); }

class KelFileTest : public ::testing::Test {
 protected:
  KelFileTest() {
    InstallMessageTable();
    m_faults.PretendCurrentFolder(m_folder.Path());
  }
  ~KelFileTest() override { SetMessageTable(nullptr); }

  TempFolder m_folder;
  FileFaults m_faults;
};

// Errors ---------------------------------------------------------------------

// A failing file operation and the error it must throw.
struct ErrorCase {
  const char* name;
  std::function<void(TempFolder&, FileFaults&)> action;
  std::uint32_t code;
  DWORD systemError;
  std::string arg1;
  std::string location;
};

TEST_F(KelFileTest, ErrorCodesArgumentsAndLocations) {
  auto open = [](const std::string& path) {
    CKelFile file(path);
    file.OpenExisting({}, GENERIC_READ, OPEN_EXISTING);
  };
  auto create = [](const std::string& path) { CKelFile().CreateNew(path, GENERIC_WRITE, CREATE_ALWAYS); };
  auto thrown = [](const char* path, std::uint32_t code, DWORD error) {
    CKelFile::ThrowFileError(CKelFile(path), code, error);
  };
  const ErrorCase cases[] = {
      {"missing file", [&](TempFolder& f, FileFaults&) { open(f / "none.vxb"); },
       1001, ERROR_FILE_NOT_FOUND, "none.vxb", ""},
      {"missing folder", [&](TempFolder& f, FileFaults&) { open(f / "no/a b.vxb"); },
       1002, ERROR_PATH_NOT_FOUND, "\"no/a b.vxb\"", ""},
      {"drive path is a missing file", [&](TempFolder&, FileFaults&) { open("C:\\x.vxb"); },
       1001, ERROR_FILE_NOT_FOUND, "C:\\x.vxb", ""},
      {"refused access",
       [&](TempFolder& f, FileFaults& faults) {
         faults.Add({FileCall::Open, "locked.vxb", ERROR_ACCESS_DENIED});
         create(f.Write("locked.vxb", "data"));
       },
       1013, ERROR_ACCESS_DENIED, "locked.vxb", ""},
      {"unmapped error on create",
       [&](TempFolder& f, FileFaults& faults) {
         faults.Add({FileCall::Open, "odd", ERROR_INVALID_NAME});
         create(f / "odd");
       },
       1004, ERROR_INVALID_NAME, "odd", ""},
      {"unmapped error on open",
       [&](TempFolder& f, FileFaults& faults) {
         faults.Add({FileCall::Open, "odd", ERROR_INVALID_NAME});
         open(f / "odd");
       },
       1003, ERROR_INVALID_NAME, "odd", ""},
      {"sharing violation",
       [&](TempFolder& f, FileFaults& faults) {
         faults.Add({FileCall::Open, "shared", ERROR_SHARING_VIOLATION});
         open(f / "shared");
       },
       1022, ERROR_SHARING_VIOLATION, "shared", ""},
      {"code that does not name the file gets the location",
       [&](TempFolder& f, FileFaults&) {
         CKelFile::ThrowFileError(CKelFile(f / "docs/a b.vxb"), 1031, 0, " (bad topic length)");
       },
       1031, 0, " (bad topic length)", "file \"docs/a b.vxb\""},
      {"drive error names the drive",
       [&](TempFolder&, FileFaults& faults) {
         faults.PretendCurrentFolder("D:\\work");
         thrown("c:\\docs\\a.vxb", 1003, ERROR_NOT_READY);
       },
       1018, ERROR_NOT_READY, "c:", "file \"C:\\docs\\a.vxb\""},
      {"write protection names the share",
       [&](TempFolder&, FileFaults&) { thrown("\\\\srv\\share\\x\\y.vxb", 1010, ERROR_WRITE_PROTECT); },
       1017, ERROR_WRITE_PROTECT, "\\\\srv\\share", "file \"\\\\srv\\share\\x\\y.vxb\""},
      {"CRC error on a share names the share",
       [&](TempFolder&, FileFaults&) { thrown("\\\\srv\\share\\x\\y.vxb", 1003, ERROR_CRC); },
       1009, ERROR_CRC, "\\\\srv\\share", ""},
      {"drive error without a drive names the file",
       [&](TempFolder& f, FileFaults&) { thrown((f / "a.vxb").c_str(), 1009, ERROR_GEN_FAILURE); },
       1015, ERROR_GEN_FAILURE, "a.vxb", "file \"a.vxb\""},
      {"-1 takes the last error",
       [&](TempFolder& f, FileFaults&) {
         SetLastError(ERROR_ALREADY_EXISTS);
         thrown((f / "a").c_str(), 1004, static_cast<DWORD>(-1));
       },
       1029, ERROR_ALREADY_EXISTS, "a", ""},
      {"-2 takes the last error",
       [&](TempFolder& f, FileFaults&) {
         SetLastError(ERROR_NOT_ENOUGH_MEMORY);
         thrown((f / "a").c_str(), 1004, static_cast<DWORD>(-2));
       },
       1014, ERROR_NOT_ENOUGH_MEMORY, "a", "file \"a\""},
      {"empty path shows none", [&](TempFolder&, FileFaults&) { thrown("", 1003, 0); }, 1003, 0, "<none>", ""},
  };
  for (const ErrorCase& c : cases) {
    TempFolder folder;
    FileFaults faults;
    faults.PretendCurrentFolder(folder.Path());
    Failure e = Caught<CKelFileException>([&] { c.action(folder, faults); });
    ASSERT_TRUE(e) << c.name;
    EXPECT_EQ(e->m_code, c.code) << c.name;
    EXPECT_EQ(e->m_systemError, c.systemError) << c.name;
    EXPECT_EQ(e->m_arg1, c.arg1) << c.name;
    EXPECT_EQ(e->m_location, c.location) << c.name;
  }
}

TEST_F(KelFileTest, WhatIsNoRegularFileIsToldAsSuch) {
  const std::string fifo = m_folder / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::uint32_t code;
    const char* text;
  };
  const Case cases[] = {
      {m_folder / "", 1041, "fatal error VK1041 - . is a folder, not a file."},
      {fifo, 1042, "fatal error VK1042 - pipe is no regular file (a pipe, device or socket)."},
  };
  CKelErrorMessage messages(nullptr, 0, "VK");
  messages.m_flags = CKelErrorMessage::kOutputComposeOnly | CKelErrorMessage::kOneLine;
  for (const Case& c : cases) {
    CKelFile file;
    Failure e = Caught<CKelFileException>([&] { file.OpenExisting(c.path, GENERIC_READ, OPEN_EXISTING); });
    ASSERT_TRUE(e) << c.path;
    EXPECT_EQ(e->m_code, c.code);
    EXPECT_EQ(e->m_location, "");
    EXPECT_EQ(std::string(messages.Report(e.get())), c.text);
    EXPECT_FALSE(file.IsOpen());
  }
}

TEST_F(KelFileTest, WithoutMessageTableTheLocationIsEmpty) {
  SetMessageTable(nullptr);
  const CKelFile file(m_folder / "a.vxb");
  EXPECT_EQ(Caught<CKelFileException>([&] { CKelFile::ThrowFileError(file, 1031, 0, " (x)"); })->m_location, "");
}

// Reading and writing --------------------------------------------------------

TEST_F(KelFileTest, ReadsShortReadsAndFailedReads) {
  CKelFile file(m_folder.Write("r.bin", std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", 10)));
  file.OpenExisting({}, GENERIC_READ, OPEN_EXISTING);
  EXPECT_EQ(file.GetLength(), 10u);
  EXPECT_EQ(file.ReadValue(1), 0x01u);
  EXPECT_EQ(file.ReadValue(2), 0x0302u);
  EXPECT_EQ(file.ReadValue(3), 0x060504u);
  EXPECT_EQ(file.ReadValue(4), 0x0A090807u);
  EXPECT_EQ(Fails([&] { file.ReadValue(1); }), Code(1009, ERROR_INVALID_DATA)) << "value past the end";
  EXPECT_EQ(file.Seek(-4, FILE_END), 6u);
  char buffer[10];
  EXPECT_EQ(Thrown([&] { file.Read(buffer, 10); }), "1009 r.bin |  | ") << "short read without a count";
  file.Seek(6);
  std::size_t read = 0;
  file.Read(buffer, 10, read);
  EXPECT_EQ(std::string(buffer, read), "\x07\x08\x09\x0A");
  file.Read(buffer, 10, read);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(file.GetPosition(), 10u);
  const std::pair<FileFault, DWORD> faults[] = {
      {{FileCall::Read, "r.bin", ERROR_INVALID_FUNCTION}, ERROR_INVALID_FUNCTION},
      {{FileCall::Read, "r.bin", ERROR_SUCCESS, 3}, ERROR_INVALID_DATA},
  };
  for (const auto& [fault, error] : faults) {
    file.Seek(0);
    FileFaults injected;
    injected.Add(fault);
    EXPECT_EQ(Fails([&] { file.Read(buffer, 8); }), Code(1009, error)) << "injected " << error;
  }
}

TEST_F(KelFileTest, WritesFlushesAndCloses) {
  const std::string path = m_folder / "w.bin";
  CKelFile file;
  file.CreateNew(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE);
  file.Write("hello", 5);
  file.Flush();
  m_faults.Add({FileCall::Write, "w.bin", ERROR_SUCCESS, 2});
  EXPECT_EQ(Fails([&] { file.Write(" world", 6); }), Code(1010, ERROR_DISK_FULL)) << "full disk";
  file.Close();
  EXPECT_EQ(TempFolder::ReadAll(path), "hello w");
  EXPECT_EQ(Fails([&] { file.Close(); }), Code(1005, ERROR_INVALID_HANDLE)) << "closed twice";
  EXPECT_EQ(Fails([&] { file.Flush(); }), Code(1010, ERROR_INVALID_HANDLE)) << "flushed when closed";

  CKelFile failing(m_folder.Write("c.bin", "x"));
  failing.OpenExisting({}, GENERIC_READ, OPEN_EXISTING);
  m_faults.Add({FileCall::Close, "c.bin", ERROR_INVALID_FUNCTION});
  EXPECT_EQ(Fails([&] { failing.Close(); }), Code(1005, ERROR_INVALID_FUNCTION)) << "failed close";
  EXPECT_FALSE(failing.IsOpen());

  CKelFile reset(m_folder.Write("r.bin", "x"));
  reset.OpenExisting({}, GENERIC_READ, OPEN_EXISTING);
  m_faults.Add({FileCall::Close, "r.bin", ERROR_WRITE_FAULT});
  reset.Reset();  // quietly
  EXPECT_FALSE(reset.IsOpen());
  EXPECT_EQ(reset.GetPath(), "");
}

// Deleting, existence, renaming ------------------------------------------------

TEST_F(KelFileTest, DeleteAndExists) {
  CKelFile file(m_folder.Write("d.bin", "x"));
  EXPECT_TRUE(file.Exists());
  EXPECT_FALSE(file.FolderExists());
  EXPECT_TRUE(file.Delete(true));
  EXPECT_FALSE(file.Exists());
  EXPECT_FALSE(file.Delete(false));
  EXPECT_EQ(Thrown([&] { file.Delete(true); }), "1001 d.bin |  | ");

  CKelFile refused(m_folder.Write("r.bin", "x"));
  m_faults.Add({FileCall::Delete, "r.bin", ERROR_INVALID_FUNCTION});
  EXPECT_EQ(FailureCode([&] { refused.Delete(false); }), 1013u);
  EXPECT_TRUE(refused.Exists());
  m_faults.Add({FileCall::Query, "/r.bin", ERROR_FILE_NOT_FOUND});  // the file vanishes
  EXPECT_FALSE(refused.Exists());

  CKelFile folder(m_folder.Path());
  EXPECT_FALSE(folder.Exists());
  EXPECT_TRUE(folder.FolderExists());
}

TEST_F(KelFileTest, RenameTakesOnlyTheNameAndKeepsWhatExists) {
  CKelFile file(m_folder.Write("old.vxb", "A"));
  file.Rename("/elsewhere/new.vxb");
  EXPECT_EQ(file.GetPath(), m_folder / "new.vxb");
  EXPECT_EQ(TempFolder::ReadAll(m_folder / "new.vxb"), "A");
  EXPECT_FALSE(CKelFile(m_folder / "old.vxb").Exists());

  m_folder.Write("new one.vxb", "B");
  EXPECT_EQ(Thrown([&] { file.Rename("new one.vxb"); }), "1029 \"new one.vxb\" |  | file \"new.vxb\"");
  EXPECT_EQ(file.GetPath(), m_folder / "new.vxb");
  EXPECT_EQ(TempFolder::ReadAll(m_folder / "new one.vxb"), "B");
  CKelFile gone(m_folder / "gone.vxb");
  EXPECT_EQ(FailureCode([&] { gone.Rename("other.vxb"); }), 1001u);
}

// Temporary files and wiping ----------------------------------------------------

TEST_F(KelFileTest, TempFilesAreNamedAfterTheProgramInTheChosenFolder) {
  CKelFile file(m_folder.Path());
  file.MakeTempName();
  const std::string name = file.GetPart(vxs::kPartName | vxs::kPartExtension);
  EXPECT_EQ(name.substr(0, 4), "~" + std::string(program_invocation_short_name).substr(0, 3));
  EXPECT_EQ(file.GetPart(vxs::kPartExtension), ".tmp");
  EXPECT_EQ(file.GetPart(vxs::kPartDrive | vxs::kPartFolder), m_folder.Path());
  EXPECT_TRUE(file.Exists());

  ASSERT_EQ(::mkdir((m_folder / "sub").c_str(), 0777), 0);
  file.SetTempInFolder(m_folder / "sub/archive.vxb");
  EXPECT_EQ(file.GetPart(vxs::kPartDrive | vxs::kPartFolder), m_folder / "sub");
  file.SetTempInFolder();
  EXPECT_EQ(file.GetPart(vxs::kPartDrive | vxs::kPartFolder), m_folder.Path());

  m_faults.Add({FileCall::Open, "~", ERROR_HANDLE_DISK_FULL});
  CKelFile failing(m_folder.Path());
  EXPECT_EQ(Thrown([&] { failing.MakeTempName(); }), "1006 . |  | file \".\"");
}

TEST_F(KelFileTest, WipeZeroesDatesAndMovesTheFile) {
  const std::string original = m_folder.Write("secret.txt", std::string(100000, 'S'));
  unsigned writesBefore = m_faults.Count(FileCall::Write);
  CKelFile file(original);
  EXPECT_TRUE(file.Wipe());
  EXPECT_EQ(m_faults.Count(FileCall::Write) - writesBefore, 2u);  // 61440 + 38560 bytes
  EXPECT_FALSE(CKelFile(original).Exists());
  EXPECT_EQ(file.GetPart(vxs::kPartDrive | vxs::kPartFolder), m_folder.Path());
  EXPECT_EQ(file.GetPart(vxs::kPartExtension), ".tmp");
  struct stat info {};
  ASSERT_EQ(::stat(file.GetPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(info.st_mtime, 315619200);

  EXPECT_FALSE(CKelFile(m_folder / "none").Wipe()) << "missing file";
  m_faults.Add({FileCall::Open, "refused", ERROR_ACCESS_DENIED});
  CKelFile refused(m_folder.Write("refused", "x"));
  EXPECT_EQ(FailureCode([&] { refused.Wipe(); }), 1013u);
}

// Paths ------------------------------------------------------------------------

TEST_F(KelFileTest, CreateFoldersMakesEveryLevelOrFails) {
  CKelFile file(m_folder / "a/b/c/");
  file.CreateFolders();
  EXPECT_TRUE(file.FolderExists());
  file.CreateFolders();  // all there: passed over
  m_faults.Add({FileCall::MakeFolder, "/a/b", ERROR_ACCESS_DENIED});
  file.CreateFolders();  // refused: passed over

  m_faults.Add({FileCall::MakeFolder, "/x", ERROR_DISK_FULL});
  CKelFile full(m_folder / "x/y");
  EXPECT_EQ(Thrown([&] { full.CreateFolders(); }), "1039 x/y |  | file \"x/y\"");
  m_folder.Write("plain", "");
  CKelFile behind(m_folder / "plain/sub");
  EXPECT_EQ(FailureCode([&] { behind.CreateFolders(); }), 1002u) << "behind a file";
}

TEST_F(KelFileTest, PathFormsAndParts) {
  ::setenv("VXST_DOCS", "/srv/docs", 1);
  CKelFile expanded("%VXST_DOCS%/a.vxb");
  EXPECT_TRUE(expanded.ExpandEnvironment());
  EXPECT_EQ(expanded.GetPath(), "/srv/docs/a.vxb");
  EXPECT_FALSE(expanded.ExpandEnvironment());

  m_faults.PretendCurrentFolder("C:\\work");
  CKelFile file("docs\\..\\a.vxb");
  file.MakeFullPath();
  EXPECT_EQ(file.GetPath(), "C:\\work\\a.vxb");
  file.SetToCurrentFolder();
  file.AppendName("b.vxb");
  EXPECT_EQ(file.GetPath(), "C:\\work\\b.vxb");
  CKelFile posix("/home/");
  posix.AppendName("u");
  posix.AppendName("x.vxb");
  EXPECT_EQ(posix.GetPath(), "/home/u/x.vxb");
  CKelFile empty;
  empty.AppendName("x");
  EXPECT_EQ(empty.GetPath(), "x");

  EXPECT_EQ(CKelFile("C:\\work\\docs\\a b.vxb").DisplayForm(0, vxs::kDisplayRelative), "\"docs\\a b.vxb\"");
  EXPECT_EQ(CKelFile("C:\\one\\two\\three\\file.vxb").DisplayForm(20, 0), "C:\\...\\three\\file.vxb");
  EXPECT_EQ(CKelFile("/srv/x/y.vxb").GetPartStart(3), 7u);
}

}  // namespace
