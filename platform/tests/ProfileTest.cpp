#include "platform/Profile.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/SystemError.h"
#include "platform/tests/ScratchRegistry.h"
#include "platform/tests/TempFolder.h"

namespace {

class Profile : public ScratchRegistry {
 protected:
  std::string Read(const char* section, const char* key, const char* fallback = "<none>") {
    char buffer[256];
    const DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, m_file.c_str());
    EXPECT_EQ(length, std::strlen(buffer));
    return buffer;
  }
  std::string List(const char* section, const char* key, DWORD size = 256) {
    std::vector<char> buffer(size);
    const DWORD length = GetPrivateProfileStringA(section, key, "", buffer.data(), size, m_file.c_str());
    return std::string(buffer.data(), length);
  }
  void Write(const std::string& text) { m_file = m_folder.Write("test.ini", text); }
  std::string Text() const { return TempFolder::ReadAll(m_file); }

  TempFolder m_folder;
  std::string m_file = m_folder / "test.ini";
};

constexpr const char* kHandEdited =
    "; written by hand\r\n"
    "orphan=before any section\r\n"
    "\r\n"
    "[ Documents ]\r\n"
    "  Manual   =   /home/a/manual.vxb   \r\n"
    "\tQuoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Mixed=\"x'\r\n"
    "bare key\r\n"
    "Empty=\r\n"
    "# another comment\r\n"
    "manual=second, ignored\r\n"
    "\r\n"
    "[NoClose\r\n"
    "a=1\r\n"
    "[documents]\r\n"
    "Late=ignored too\r\n";

TEST_F(Profile, HandEditedFilesReadByTheWindowsRules) {
  Write(kHandEdited);
  EXPECT_EQ(Read("documents", "MANUAL"), "/home/a/manual.vxb");
  EXPECT_EQ(Read("Documents", "Quoted"), "  spaced  ");
  EXPECT_EQ(Read("Documents", "Single"), "x");
  EXPECT_EQ(Read("Documents", "Mixed"), "\"x'");
  EXPECT_EQ(Read("Documents", "bare key"), "");
  EXPECT_EQ(Read("Documents", "Empty", "\x1A"), "");
  EXPECT_EQ(Read("Documents", "Late"), "<none>");
  EXPECT_EQ(Read("Documents", "orphan"), "<none>");
  EXPECT_EQ(Read("Documents", "; written by hand"), "<none>");
  EXPECT_EQ(Read("NoClose", "a"), "1");
  EXPECT_EQ(Read("Missing", "a", "default   "), "default");
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(List(nullptr, nullptr), std::string("Documents\0NoClose\0", 18));
  EXPECT_EQ(List("documents", nullptr), std::string("Manual\0Quoted\0Single\0Mixed\0bare key\0Empty\0", 42));
}

TEST_F(Profile, MissingFilesLineEndsOfEveryKindAndLongLinesAreRead) {
  EXPECT_EQ(Read("A", "b", "fallback"), "fallback");
  EXPECT_EQ(Read("A", "b", nullptr), "");
  EXPECT_EQ(List(nullptr, nullptr), "");
  const std::string value(200000, 'v');
  Write("[Long]\nkey=" + value + "\n" + std::string(300000, ';') + "\nafter=ok\n");
  std::vector<char> big(value.size() + 1);
  EXPECT_EQ(GetPrivateProfileStringA("Long", "key", "", big.data(), static_cast<DWORD>(big.size()), m_file.c_str()),
            value.size());
  EXPECT_EQ(std::string(big.data()), value);
  char small[10];
  EXPECT_EQ(GetPrivateProfileStringA("Long", "key", "", small, sizeof small, m_file.c_str()), 9u);
  EXPECT_STREQ(small, "vvvvvvvvv");
  EXPECT_EQ(Read("Long", "after"), "ok");
  Write("\xEF\xBB\xBF[A]\rone=1\r[B]\ntwo=2\n[C]\r\nthree=3");
  EXPECT_EQ(Read("A", "one") + Read("B", "two") + Read("C", "three"), "123");
}

TEST_F(Profile, ListsCutToTheBufferAndSectionsAreReplacedWhole) {
  Write("[Alpha]\n[Beta]\n[Gamma]\n");
  char buffer[9];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, sizeof buffer, m_file.c_str()), 7u);
  EXPECT_EQ(std::string(buffer, 9), std::string("Alpha\0B\0\0", 9));
  // An item that fills the buffer but one byte ends the list there.
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 7, m_file.c_str()), 5u);
  EXPECT_EQ(std::string(buffer, 8), std::string("Alpha\0\0x", 8));
  Write("[S]\na=1\nbb=2\n");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("S", nullptr, "", buffer, 3, m_file.c_str()), 1u);
  EXPECT_EQ(std::string(buffer, 4), std::string("a\0\0x", 4));
  // Sections are deleted and replaced whole.
  Write("[Keep]\na=1\n\n[Gone]\nb=2\n; note\n\n[Keep2]\nc=3\n[gone]\nd=4\n");
  ASSERT_TRUE(WritePrivateProfileStringA("GONE", nullptr, nullptr, m_file.c_str()));
  EXPECT_EQ(Text(), "[Keep]\na=1\n\n[Keep2]\nc=3\n");
  ASSERT_TRUE(WritePrivateProfileSectionA("keep", "x=9\0y=8\0", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileSectionA("New", "z=7\0", m_file.c_str()));
  EXPECT_EQ(Text(), "[Keep]\nx=9\ny=8\n\n[Keep2]\nc=3\n\n[New]\nz=7\n");
  char section[32];
  EXPECT_EQ(GetPrivateProfileSectionA("KEEP", section, sizeof section, m_file.c_str()), 8u);
  EXPECT_EQ(std::string(section, 9), std::string("x=9\0y=8\0\0", 9));
}

TEST_F(Profile, WritesKeepEveryOtherLineAsItWas) {
  Write(kHandEdited);
  ASSERT_TRUE(WritePrivateProfileStringA("DOCUMENTS", "manual", "/new/path.vxb", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Documents", "Added", "yes", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Documents", "Single", nullptr, m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Documents", "Quoted", "\"  spaced  \"", m_file.c_str()));  // same value
  ASSERT_TRUE(WritePrivateProfileStringA("Fresh", "k", "v", m_file.c_str()));
  EXPECT_EQ(Text(),
            "; written by hand\r\n"
            "orphan=before any section\r\n"
            "\r\n"
            "[ Documents ]\r\n"
            "manual=/new/path.vxb\r\n"
            "\tQuoted=\"  spaced  \"\r\n"
            "Mixed=\"x'\r\n"
            "bare key\r\n"
            "Empty=\r\n"
            "# another comment\r\n"
            "manual=second, ignored\r\n"
            "Added=yes\r\n"
            "\r\n"
            "[NoClose\r\n"
            "a=1\r\n"
            "[documents]\r\n"
            "Late=ignored too\r\n"
            "\r\n"
            "[Fresh]\r\n"
            "k=v\r\n");
}

TEST_F(Profile, WritingCreatesTheFileRefusesBrokenLinesAndFindsBareNamesInTheSettingsFolder) {
  ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", m_file.c_str()));
  EXPECT_EQ(Text(), "[S]\nk=v\n");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "two\nlines", m_file.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "a=b", "v", m_file.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("S]x", "k", "v", m_file.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("S", "[k", "v", m_file.c_str()));
  EXPECT_FALSE(WritePrivateProfileSectionA("S", "ok=1\0bad\nline\0", m_file.c_str()));
  EXPECT_EQ(Text(), "[S]\nk=v\n");
  EXPECT_TRUE(WritePrivateProfileStringA("S", "missing", nullptr, m_file.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", (m_folder / "no/such/folder.ini").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ProfileFilePath("VxStRd.ini"), Folder() + "/VxStRd.ini");
  EXPECT_EQ(ProfileFilePath("sub\\x.ini"), Folder() + "/sub/x.ini");
  EXPECT_EQ(ProfileFilePath("/etc/x.ini"), "/etc/x.ini");
  ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "VxStRd.ini"));
  EXPECT_EQ(TempFolder::ReadAll(Folder() + "/VxStRd.ini"), "[S]\nk=v\n");
}

TEST_F(Profile, TwoProcessesWritingOneFileLoseNothing) {
  pid_t writers[2];
  for (int writer = 0; writer < 2; ++writer) {
    writers[writer] = fork();
    ASSERT_GE(writers[writer], 0);
    if (writers[writer] == 0) {
      bool ok = true;
      for (int index = 0; index < 100; ++index) {
        const std::string key = "w" + std::to_string(writer) + "-" + std::to_string(index);
        ok = ok && WritePrivateProfileStringA("Race", key.c_str(), "1", m_file.c_str());
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t writer : writers) {
    int status = 0;
    waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<char> keys(8192);
  const DWORD length = GetPrivateProfileStringA("Race", nullptr, "", keys.data(), 8192, m_file.c_str());
  EXPECT_EQ(std::count(keys.begin(), keys.begin() + length, '\0'), 200);
}

}  // namespace
