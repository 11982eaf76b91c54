// ReadFileSpec and ParseFileSpecList.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "ParseTestSupport.h"
#include "base/KelFileSpecList.h"
#include "base/KelParse.h"

namespace {

struct Spec {
  std::string text;
  unsigned kind = 0;
  std::string rest;  // what follows the file spec
};

Spec ReadSpec(const char* text, unsigned flags = 0, const char* extension = nullptr,
              const char* baseFolder = nullptr) {
  CKelParse p(text);
  Spec spec;
  p.ReadFileSpec(spec.text, flags, &spec.kind, extension, baseFolder);
  spec.rest = p.GetCursor();
  return spec;
}

SyntaxError SpecError(const char* text, unsigned flags = 0) {
  CKelParse p(text);
  std::string out;
  unsigned kind = 0;
  return CatchError([&] { p.ReadFileSpec(out, flags, &kind, nullptr, nullptr); });
}

TEST(ReadFileSpecTest, KindBits) {
  EXPECT_EQ(ReadSpec("a.vxb").kind, 2u | 1u);
  EXPECT_EQ(ReadSpec("readme").kind, 2u);
  EXPECT_EQ(ReadSpec("c:\\docs\\a.vxb").kind, 8u | 4u | 2u | 1u);
  EXPECT_EQ(ReadSpec("\\docs\\").kind, 4u);
  EXPECT_EQ(ReadSpec("..").kind, 4u);
  EXPECT_EQ(ReadSpec("docs\\.").kind, 4u);
  EXPECT_EQ(ReadSpec("*.vxb", 0x100).kind, 0x100u | 2u | 1u);
  EXPECT_EQ(ReadSpec("c:").kind, 8u);
  EXPECT_EQ(ReadSpec("\\\\srv\\share\\a.vxb").kind, 8u | 4u | 2u | 1u);
}

TEST(ReadFileSpecTest, DriveLetterInUpperCase) {
  EXPECT_EQ(ReadSpec("c:a.vxb").text, "C:a.vxb");
}

TEST(ReadFileSpecTest, UnquotedEndsAtBlanksRedirectionAndSlash) {
  EXPECT_EQ(ReadSpec("a.vxb b").rest, " b");
  EXPECT_EQ(ReadSpec("a.vxb/s").rest, "/s");
  EXPECT_EQ(ReadSpec("a.vxb<x").rest, "<x");
  EXPECT_EQ(ReadSpec("a.vxb|x").rest, "|x");
  EXPECT_EQ(ReadSpec("a.vxb\tx").rest, "\tx");
}

TEST(ReadFileSpecTest, QuotedKeepsBlanksAndReadsSlashAsBackslash) {
  const Spec spec = ReadSpec("\"my docs/a b.vxb\" next");
  EXPECT_EQ(spec.text, "my docs\\a b.vxb");
  EXPECT_EQ(spec.kind, 4u | 2u | 1u);
  EXPECT_EQ(spec.rest, " next");
  EXPECT_EQ(ReadSpec("\"a b\".vxb").rest, ".vxb");  // a closing quote ends it
  EXPECT_EQ(ReadSpec("x\"a b\"").text, "xa b");
}

TEST(ReadFileSpecTest, RestAsOneName) {
  const Spec spec = ReadSpec("my \"big\" file/x.vxb", 0x400);
  EXPECT_EQ(spec.text, "my big file\\x.vxb");
  EXPECT_EQ(spec.rest, "");
  EXPECT_EQ(ReadSpec("my file\r\nrest", 0x400).text, "my file");
}

TEST(ReadFileSpecTest, DefaultExtension) {
  EXPECT_EQ(ReadSpec("manual", 0, ".vxb").text, "manual.vxb");
  EXPECT_EQ(ReadSpec("manual", 0, "vxb").text, "manual.vxb");
  EXPECT_EQ(ReadSpec("manual.old", 0, ".vxb").text, "manual.old");
  EXPECT_EQ(ReadSpec("docs\\", 0, ".vxb").text, "docs\\");
  EXPECT_EQ(ReadSpec("manual", 0, ".vxb").kind, 3u);
  const std::string longest = std::string(kMaxPathLength - 2, 'a');
  EXPECT_EQ(ReadSpec(longest.c_str(), 0, ".vxb").text, longest);  // does not fit
}

TEST(ReadFileSpecTest, Errors) {
  EXPECT_EQ(SpecError("1:x"), (SyntaxError{1015, "1:", ""}));
  EXPECT_EQ(SpecError("ab:x"), (SyntaxError{1015, "ab:", ""}));
  EXPECT_EQ(SpecError("a\\b:x").code, 1016u);
  EXPECT_EQ(SpecError("*.vxb"), (SyntaxError{1016, "*.vxb", ""}));
  EXPECT_EQ(SpecError("a*\\b.vxb", 0x100), (SyntaxError{1016, "a*\\b.vxb", ""}));
  EXPECT_EQ(SpecError("  x", 0), (SyntaxError{2019, "", ""}));
  EXPECT_EQ(SpecError("/s"), (SyntaxError{2019, "/s", ""}));
  EXPECT_EQ(SpecError("\"\""), (SyntaxError{2019, "\"\"", ""}));
  EXPECT_EQ(SpecError("\"abc"), (SyntaxError{2006, "\"abc", ""}));
  EXPECT_EQ(SpecError("\"a\tb\"").code, 1016u);
  // The system's path limit.
  EXPECT_EQ(SpecError(std::string(kMaxPathLength + 1, 'a').c_str()).code, 1016u);
  EXPECT_EQ(ReadSpec(std::string(kMaxPathLength, 'a').c_str()).text.size(), kMaxPathLength);
}

// Inside quotes the redirection signs belong to the name, and a double quote
// written twice stands for itself: every name this system allows can be given.
TEST(ReadFileSpecTest, QuotedNamesWithTheShellsSpecialCharacters) {
  const Spec spec = ReadSpec("\"a \"\"b\"\" |c<d>.vxb\" next");
  EXPECT_EQ(spec.text, "a \"b\" |c<d>.vxb");
  EXPECT_EQ(spec.rest, " next");
}

// A temporary current folder with a subfolder "docs".
class FileSpecListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vxst-specs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_folder = pattern;
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    m_saved = cwd;
    ASSERT_EQ(mkdir((m_folder + "/docs").c_str(), 0755), 0);
    ASSERT_EQ(chdir(m_folder.c_str()), 0);
  }
  void TearDown() override {
    EXPECT_EQ(chdir(m_saved.c_str()), 0);
    std::filesystem::remove_all(m_folder);
  }

  CKelFileSpecList Parse(const char* text, unsigned flags = 0x100, bool allowSubfolders = true,
                         const char* extension = nullptr) {
    CKelParse p(text);
    CKelFileSpecList list;
    p.ParseFileSpecList(list, extension, flags, allowSubfolders, nullptr);
    m_rest = p.GetCursor();
    return list;
  }
  SyntaxError ParseError(const char* text, unsigned flags = 0x100) {
    CKelParse p(text);
    CKelFileSpecList list;
    return CatchError([&] { p.ParseFileSpecList(list, nullptr, flags, true, nullptr); });
  }

  std::string m_folder;
  std::string m_saved;
  std::string m_rest;
};

TEST_F(FileSpecListTest, FolderWildcardsSubfoldersAndMoreNames) {
  const CKelFileSpecList list = Parse("C:\\docs\\*.vxb /s more.vxb");
  EXPECT_EQ(list.baseFolder, "C:\\docs");
  EXPECT_EQ(list.flags, 0x4000u);
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].text, "*.vxb");
  EXPECT_EQ(list.entries[0].kind, 0x100u);
  EXPECT_EQ(list.entries[1].text, "more.vxb");
  EXPECT_EQ(list.entries[1].kind, 0u);
}

TEST_F(FileSpecListTest, GluedSubfolderSwitch) {
  const CKelFileSpecList list = Parse("docs\\*.vxb/S b.vxb");
  EXPECT_EQ(list.baseFolder, "docs");
  EXPECT_EQ(list.flags, 0x4000u);
  EXPECT_EQ(list.entries.size(), 2u);
}

TEST_F(FileSpecListTest, SubfolderFlagFromTheCaller) {
  EXPECT_EQ(Parse("a.vxb", 0x4000 | 0x100).flags, 0x4000u);
  EXPECT_EQ(Parse("a.vxb").flags, 0u);
}

TEST_F(FileSpecListTest, ExistingFolderIsTheBaseFolder) {
  const CKelFileSpecList list = Parse("docs");
  EXPECT_EQ(list.baseFolder, "docs");
  EXPECT_TRUE(list.entries.empty());
  const CKelFileSpecList named = Parse("nodocs");
  EXPECT_EQ(named.baseFolder, "");
  ASSERT_EQ(named.entries.size(), 1u);
  EXPECT_EQ(named.entries[0].text, "nodocs");
}

TEST_F(FileSpecListTest, OnlyTheFirstSpecificationMayHaveDriveOrFolder) {
  EXPECT_EQ(ParseError("a.vxb C:b.vxb"), (SyntaxError{2100, "C:b.vxb", ""}));
  EXPECT_EQ(ParseError("a.vxb sub\\b.vxb"), (SyntaxError{2101, "sub\\b.vxb", ""}));
  EXPECT_EQ(ParseError("a.vxb docs"), (SyntaxError{2101, "docs", ""}));
  EXPECT_EQ(ParseError("a.vxb .."), (SyntaxError{2101, "..", ""}));
}

TEST_F(FileSpecListTest, SubfolderSwitchOnlyAfterTheFirst) {
  EXPECT_EQ(ParseError("a.vxb b.vxb /s"), (SyntaxError{2102, "/s", ""}));
  EXPECT_EQ(ParseError("/s a.vxb"), (SyntaxError{2102, "/s", ""}));
  EXPECT_EQ(ParseError("a.vxb /s /s"), (SyntaxError{2102, "/s", ""}));
}

TEST_F(FileSpecListTest, TextGluedToASpecification) {
  EXPECT_EQ(ParseError("a.vxb/x"), (SyntaxError{2001, "/x", "option /x"}));
  EXPECT_EQ(ParseError("a.vxb/abcdefghijklmnopqrstuvwxyz0123456789"),
            (SyntaxError{2001, "/abcdefghijklmnopqrstuvwxyz0123456789",
                         "option /abcdefghijklmnopqrstuvwxyz..."}));
  EXPECT_EQ(ParseError("\"a b\"c"), (SyntaxError{1016, "c", ""}));
  EXPECT_EQ(ParseError("a.vxb<in"), (SyntaxError{1016, "<in", ""}));
}

TEST_F(FileSpecListTest, EndsAtOptionsWithFlag0x8000) {
  const CKelFileSpecList list = Parse("a.vxb b.vxb /v2", 0x8000 | 0x100);
  EXPECT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(m_rest, "/v2");
  Parse("a.vxb -x", 0x8000 | 0x100);
  EXPECT_EQ(m_rest, "-x");
  Parse("a.vxb/x", 0x8000 | 0x100);
  EXPECT_EQ(m_rest, "/x");
  Parse("a.vxb /s /x", 0x8000 | 0x100);
  EXPECT_EQ(m_rest, "/x");
}

TEST_F(FileSpecListTest, WildcardsOnlyWhenAllowed) {
  EXPECT_EQ(ParseError("*.vxb", 0), (SyntaxError{1016, "*.vxb", ""}));
}

TEST_F(FileSpecListTest, SubfolderSwitchNotAllowed) {
  CKelParse p("a.vxb/s");
  CKelFileSpecList list;
  EXPECT_EQ(CatchError([&] { p.ParseFileSpecList(list, nullptr, 0x100, false, nullptr); }),
            (SyntaxError{2001, "/s", "option /s"}));
}

TEST_F(FileSpecListTest, DefaultExtensionAndFullPaths) {
  const CKelFileSpecList list = Parse("docs\\manual b", 0x2000, true, ".vxb");
  EXPECT_EQ(list.baseFolder.back(), 's');
  EXPECT_NE(list.baseFolder.find(m_folder.substr(5)), std::string::npos);
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].text, "manual.vxb");
  EXPECT_EQ(list.entries[1].text, "b.vxb");
}

TEST_F(FileSpecListTest, EmptyTextGivesAnEmptyList) {
  const CKelFileSpecList list = Parse("   ");
  EXPECT_TRUE(list.entries.empty());
  EXPECT_EQ(list.baseFolder, "");
}

}  // namespace
