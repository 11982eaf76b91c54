// ReadFileSpec and ParseFileSpecList.
#include <gtest/gtest.h>
#include <filesystem>

#include "ParseTestSupport.h"
#include "base/KelFileSpecList.h"
#include "base/KelParse.h"
#include "platform/tests/TempFolder.h"

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

struct SpecCase {
  const char* text;
  unsigned flags;
  const char* extension;
  const char* spec;  // null: not checked
  unsigned kind;     // ~0u: not checked
  const char* rest;  // null: not checked
};

TEST(ReadFileSpecTest, KindsQuotingEndsAndExtensions) {
  const std::string longest = std::string(kMaxPathLength - 2, 'a');
  const std::string atLimit = std::string(kMaxPathLength, 'a');
  const SpecCase cases[] = {
      {"a.vxb", 0, nullptr, "a.vxb", 2 | 1, ""},
      {"readme", 0, nullptr, nullptr, 2, nullptr},
      {"c:\\docs\\a.vxb", 0, nullptr, nullptr, 8 | 4 | 2 | 1, nullptr},
      {"\\docs\\", 0, nullptr, nullptr, 4, nullptr},
      {"..", 0, nullptr, nullptr, 4, nullptr},
      {"docs\\.", 0, nullptr, nullptr, 4, nullptr},
      {"*.vxb", 0x100, nullptr, nullptr, 0x100 | 2 | 1, nullptr},
      {"c:", 0, nullptr, nullptr, 8, nullptr},
      {"\\\\srv\\share\\a.vxb", 0, nullptr, nullptr, 8 | 4 | 2 | 1, nullptr},
      {"c:a.vxb", 0, nullptr, "C:a.vxb", ~0u, nullptr},  // drive letter in upper case
      {"a.vxb b", 0, nullptr, "a.vxb", ~0u, " b"},
      {"a.vxb/s", 0, nullptr, "a.vxb", ~0u, "/s"},
      {"a.vxb<x", 0, nullptr, "a.vxb", ~0u, "<x"},
      {"a.vxb|x", 0, nullptr, "a.vxb", ~0u, "|x"},
      {"a.vxb\tx", 0, nullptr, "a.vxb", ~0u, "\tx"},
      {"\"my docs/a b.vxb\" next", 0, nullptr, "my docs\\a b.vxb", 4 | 2 | 1, " next"},
      {"\"a b\".vxb", 0, nullptr, "a b", ~0u, ".vxb"},  // a closing quote ends it
      {"x\"a b\"", 0, nullptr, "xa b", ~0u, nullptr},
      // Inside quotes the shell's signs belong to the name and "" stands for a quote.
      {"\"a \"\"b\"\" |c<d>.vxb\" next", 0, nullptr, "a \"b\" |c<d>.vxb", ~0u, " next"},
      {"my \"big\" file/x.vxb", 0x400, nullptr, "my big file\\x.vxb", ~0u, ""},  // rest as one name
      {"my file\r\nrest", 0x400, nullptr, "my file", ~0u, nullptr},
      {"manual", 0, ".vxb", "manual.vxb", 3, nullptr},
      {"manual", 0, "vxb", "manual.vxb", ~0u, nullptr},
      {"manual.old", 0, ".vxb", "manual.old", ~0u, nullptr},
      {"docs\\", 0, ".vxb", "docs\\", ~0u, nullptr},
      {longest.c_str(), 0, ".vxb", longest.c_str(), ~0u, nullptr},  // the extension does not fit
      {atLimit.c_str(), 0, nullptr, atLimit.c_str(), ~0u, nullptr},
  };
  for (const SpecCase& c : cases) {
    const Spec spec = ReadSpec(c.text, c.flags, c.extension);
    const std::string name = std::string(c.text).substr(0, 40);
    if (c.spec) {
      EXPECT_EQ(spec.text, c.spec) << name;
    }
    if (c.kind != ~0u) {
      EXPECT_EQ(spec.kind, c.kind) << name;
    }
    if (c.rest) {
      EXPECT_EQ(spec.rest, c.rest) << name;
    }
  }
}

TEST(ReadFileSpecTest, Errors) {
  const std::string tooLong(kMaxPathLength + 1, 'a');
  const struct {
    const char* text;
    unsigned flags;
    SyntaxError error;
  } cases[] = {
      {"1:x", 0, {1015, "1:", ""}},
      {"ab:x", 0, {1015, "ab:", ""}},
      {"a\\b:x", 0, {1016, "a\\b:", ""}},
      {"*.vxb", 0, {1016, "*.vxb", ""}},
      {"a*\\b.vxb", 0x100, {1016, "a*\\b.vxb", ""}},
      {"  x", 0, {2019, "", ""}},
      {"/s", 0, {2019, "/s", ""}},
      {"\"\"", 0, {2019, "\"\"", ""}},
      {"\"abc", 0, {2006, "\"abc", ""}},
      {"\"a\tb\"", 0, {1016, "\"a", ""}},
      {tooLong.c_str(), 0, {1016, tooLong, ""}},  // the system's path limit
  };
  for (const auto& c : cases)
    EXPECT_EQ(SpecError(c.text, c.flags), c.error) << std::string(c.text).substr(0, 40);
}

// A temporary current folder with a subfolder "docs".
class FileSpecListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(m_temp / "docs");
    std::filesystem::current_path(m_folder);
  }
  void TearDown() override { std::filesystem::current_path(m_saved); }

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

  TempFolder m_temp;
  const std::string m_folder = m_temp.Path();
  const std::filesystem::path m_saved = std::filesystem::current_path();
  std::string m_rest;
};

TEST_F(FileSpecListTest, FoldersWildcardsSubfoldersAndTheEndOfTheList) {
  const struct {
    const char* text;
    unsigned flags;
    const char* baseFolder;
    unsigned listFlags;
    std::vector<std::pair<std::string, unsigned>> entries;
    const char* rest;
  } cases[] = {
      {"C:\\docs\\*.vxb /s more.vxb", 0x100, "C:\\docs", 0x4000, {{"*.vxb", 0x100}, {"more.vxb", 0}}, ""},
      {"docs\\*.vxb/S b.vxb", 0x100, "docs", 0x4000, {{"*.vxb", 0x100}, {"b.vxb", 0}}, ""},  // glued switch
      {"a.vxb", 0x4000 | 0x100, "", 0x4000, {{"a.vxb", 0}}, ""},  // the caller's flag
      {"docs", 0x100, "docs", 0, {}, ""},  // an existing folder is the base folder
      {"   ", 0x100, "", 0, {}, ""},
      {"nodocs", 0x100, "", 0, {{"nodocs", 0}}, ""},
      // Flag 0x8000 ends the list at options.
      {"a.vxb b.vxb /v2", 0x8000 | 0x100, "", 0, {{"a.vxb", 0}, {"b.vxb", 0}}, "/v2"},
      {"a.vxb -x", 0x8000 | 0x100, "", 0, {{"a.vxb", 0}}, "-x"},
      {"a.vxb/x", 0x8000 | 0x100, "", 0, {{"a.vxb", 0}}, "/x"},
      {"a.vxb /s /x", 0x8000 | 0x100, "", 0x4000, {{"a.vxb", 0}}, "/x"},
  };
  for (const auto& c : cases) {
    const CKelFileSpecList list = Parse(c.text, c.flags);
    EXPECT_EQ(list.baseFolder, c.baseFolder) << c.text;
    EXPECT_EQ(list.flags, c.listFlags) << c.text;
    std::vector<std::pair<std::string, unsigned>> entries;
    for (const auto& entry : list.entries) entries.emplace_back(entry.text, entry.kind);
    EXPECT_EQ(entries, c.entries) << c.text;
    EXPECT_EQ(m_rest, c.rest) << c.text;
  }
}

TEST_F(FileSpecListTest, Errors) {
  const struct {
    const char* text;
    unsigned flags;
    SyntaxError error;
  } cases[] = {
      // Only the first file name may have a drive or folder.
      {"a.vxb C:b.vxb", 0x100, {2100, "C:b.vxb", ""}},
      {"a.vxb sub\\b.vxb", 0x100, {2101, "sub\\b.vxb", ""}},
      {"a.vxb docs", 0x100, {2101, "docs", ""}},
      {"a.vxb ..", 0x100, {2101, "..", ""}},
      // The subfolder switch only right after the first.
      {"a.vxb b.vxb /s", 0x100, {2102, "/s", ""}},
      {"/s a.vxb", 0x100, {2102, "/s", ""}},
      {"a.vxb /s /s", 0x100, {2102, "/s", ""}},
      // Text glued to a file name.
      {"a.vxb/x", 0x100, {2001, "/x", "option /x"}},
      {"a.vxb/abcdefghijklmnopqrstuvwxyz0123456789", 0x100,
       {2001, "/abcdefghijklmnopqrstuvwxyz0123456789", "option /abcdefghijklmnopqrstuvwxyz..."}},
      {"\"a b\"c", 0x100, {1016, "c", ""}},
      {"a.vxb<in", 0x100, {1016, "<in", ""}},
      {"*.vxb", 0, {1016, "*.vxb", ""}},  // wildcards only when allowed
  };
  for (const auto& c : cases) EXPECT_EQ(ParseError(c.text, c.flags), c.error) << c.text;
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

}  // namespace
