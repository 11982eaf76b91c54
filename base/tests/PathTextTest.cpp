#include "base/PathText.h"

#include <gtest/gtest.h>

using namespace vxs;

namespace {

struct PartCase {
  const char* path;
  unsigned mask;
  const char* part;
};

TEST(PathText, PartsOfDrivePaths) {
  const PartCase cases[] = {
      {"C:\\docs\\a.vxb", 8, "C:"},          {"C:\\docs\\a.vxb", 4, "\\docs"},
      {"C:\\docs\\a.vxb", 12, "C:\\docs"},   {"C:\\docs\\a.vxb", 14, "C:\\docs\\a"},
      {"C:\\docs\\a.vxb", 15, "C:\\docs\\a.vxb"}, {"C:\\docs\\a.vxb", 3, "a.vxb"},
      {"C:\\docs\\a.vxb", 2, "a"},           {"C:\\docs\\a.vxb", 1, ".vxb"},
      {"C:\\docs\\a.vxb", 6, "\\docs\\a"},   {"C:\\docs\\a.vxb", 0, ""},
      {"C:\\a.vxb", 12, "C:\\"},             {"C:\\a.vxb", 4, "\\"},
      {"C:a.vxb", 12, "C:"},                 {"C:a.vxb", 3, "a.vxb"},
      {"c:/docs/sub/", 12, "c:/docs/sub"},   {"c:/docs/sub/", 3, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathPart(c.path, c.mask), c.part) << c.path << " mask " << c.mask;
  }
}

TEST(PathText, PartsOfNetworkPaths) {
  const PartCase cases[] = {
      {"\\\\srv\\share\\x\\y.vxb", 12, "\\\\srv\\share\\x"},
      {"\\\\srv\\share\\x\\y.vxb", 8, "\\\\srv\\share"},
      {"\\\\srv\\share\\x\\y.vxb", 4, "\\x"},
      {"\\\\srv\\share\\y.vxb", 12, "\\\\srv\\share\\"},
      {"//srv/share", 8, "//srv/share"},
      {"//srv/share", 3, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathPart(c.path, c.mask), c.part) << c.path << " mask " << c.mask;
  }
}

TEST(PathText, PartsOfPosixPaths) {
  const PartCase cases[] = {
      {"/home/u/a.b.vxb", 8, ""},         {"/home/u/a.b.vxb", 12, "/home/u"},
      {"/home/u/a.b.vxb", 3, "a.b.vxb"},  {"/home/u/a.b.vxb", 2, "a.b"},
      {"/home/u/a.b.vxb", 1, ".vxb"},     {"/a.vxb", 12, "/"},
      {"a.vxb", 12, ""},                  {"docs/.profile", 1, ".profile"},
      {"docs.d/readme", 1, ""},           {"docs.d/readme", 3, "readme"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathPart(c.path, c.mask), c.part) << c.path << " mask " << c.mask;
  }
}

TEST(PathText, PartStarts) {
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 3), 8u);
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 1), 9u);
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 4), 2u);
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 8), 0u);
  EXPECT_EQ(PathPartStart("\\\\srv\\share\\x\\y.vxb", 6), 11u);
  EXPECT_EQ(PathPartStart("/home/u/x", 0), 9u);
}

TEST(PathText, DisplayRelativeToTheCurrentFolder) {
  const char* current = "C:\\work";
  EXPECT_EQ(DisplayPath("C:\\work\\docs\\a b.vxb", current, 0, kDisplayRelative),
            "\"docs\\a b.vxb\"");
  EXPECT_EQ(DisplayPath("C:\\work\\docs\\a b.vxb", current, 0, kDisplayRelative | kDisplayUnquoted),
            "docs\\a b.vxb");
  EXPECT_EQ(DisplayPath("C:\\work", current, 0, kDisplayRelative), ".");
  EXPECT_EQ(DisplayPath("c:/WORK/", current, 0, kDisplayRelative), ".");
  EXPECT_EQ(DisplayPath("", current, 0, kDisplayRelative), "<none>");
  EXPECT_EQ(DisplayPath("", current, 0, 0), "");
  EXPECT_EQ(DisplayPath("C:\\workshop\\a.vxb", current, 0, kDisplayRelative), "\\workshop\\a.vxb");
  EXPECT_EQ(DisplayPath("d:\\work\\a.vxb", current, 0, kDisplayRelative), "D:\\work\\a.vxb");
  EXPECT_EQ(DisplayPath("\\\\srv\\share\\a.vxb", current, 0, kDisplayRelative),
            "\\\\srv\\share\\a.vxb");
  EXPECT_EQ(DisplayPath("c:\\work\\a.vxb", "C:\\", 0, kDisplayRelative), "work\\a.vxb");
  EXPECT_EQ(DisplayPath("c:\\work\\a.vxb", current, 0, 0), "C:\\work\\a.vxb");
}

TEST(PathText, DisplayPosixPaths) {
  EXPECT_EQ(DisplayPath("/home/u/docs/x.vxb", "/home/u", 0, kDisplayRelative), "docs/x.vxb");
  EXPECT_EQ(DisplayPath("/home/u", "/home/u/", 0, kDisplayRelative), ".");
  EXPECT_EQ(DisplayPath("/home/user/x.vxb", "/home/u", 0, kDisplayRelative), "/home/user/x.vxb");
  EXPECT_EQ(DisplayPath("/Home/u/x.vxb", "/home/u", 0, kDisplayRelative), "/Home/u/x.vxb");
  EXPECT_EQ(DisplayPath("/etc/x", "/", 0, kDisplayRelative), "etc/x");
  EXPECT_EQ(DisplayPath("x.vxb", "/home/u", 0, kDisplayRelative), "x.vxb");
  EXPECT_EQ(DisplayPath("/home/u/my docs/x", "/home/u", 0, kDisplayRelative), "\"my docs/x\"");
}

TEST(PathText, DisplayShortensByLeadingFolders) {
  EXPECT_EQ(DisplayPath("C:\\one\\two\\three\\file.vxb", "D:\\", 20, 0),
            "C:\\...\\three\\file.vxb");
  EXPECT_EQ(DisplayPath("C:\\one\\two\\three\\file.vxb", "C:\\x", 20, kDisplayRelative),
            "\\...\\three\\file.vxb");
  EXPECT_EQ(DisplayPath("C:\\one\\two\\three\\file.vxb", "D:\\", 23, 0),
            "C:\\one\\two\\three\\file.vxb");
  EXPECT_EQ(DisplayPath("C:\\one\\two\\three\\file.vxb", "D:\\", 5, 0), "C:\\...\\file.vxb");
  EXPECT_EQ(DisplayPath("/a/bb/ccc/name.vxb", "/", 14, kDisplayRelative), ".../name.vxb");
  EXPECT_EQ(DisplayPath("/a/bb/ccc/name.vxb", "/x", 17, kDisplayRelative), "/.../ccc/name.vxb");
  EXPECT_EQ(DisplayPath("averyveryverylongname.vxb", "/x", 5, kDisplayRelative),
            "averyveryverylongname.vxb");
}

TEST(PathText, FullPaths) {
  EXPECT_EQ(FullPath("docs\\a.vxb", "C:\\work"), "C:\\work\\docs\\a.vxb");
  EXPECT_EQ(FullPath("..\\a.vxb", "C:\\work\\sub"), "C:\\work\\a.vxb");
  EXPECT_EQ(FullPath("\\a.vxb", "C:\\work"), "C:\\a.vxb");
  EXPECT_EQ(FullPath("C:a.vxb", "C:\\work"), "C:\\work\\a.vxb");
  EXPECT_EQ(FullPath("D:a.vxb", "C:\\work"), "D:\\a.vxb");
  EXPECT_EQ(FullPath("C:/x/./y//../z", "/home"), "C:\\x\\z");
  EXPECT_EQ(FullPath("\\\\srv\\share\\x\\..\\..\\y", "/home"), "\\\\srv\\share\\y");
  EXPECT_EQ(FullPath("docs/a.vxb", "/home/u"), "/home/u/docs/a.vxb");
  EXPECT_EQ(FullPath("../../../a", "/home/u"), "/a");
  EXPECT_EQ(FullPath(".", "/home/u"), "/home/u");
  EXPECT_EQ(FullPath("/", "/home/u"), "/");
  EXPECT_EQ(FullPath("", "/home/u"), "");
}

}  // namespace
