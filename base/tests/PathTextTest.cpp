#include "base/PathText.h"

#include <gtest/gtest.h>

using namespace vxs;

namespace {

struct PartCase {
  const char* path;
  unsigned mask;
  const char* part;
};

TEST(PathText, PartsOfDriveNetworkAndPosixPaths) {
  const PartCase cases[] = {
      {"C:\\docs\\a.vxb", 8, "C:"},          {"C:\\docs\\a.vxb", 4, "\\docs"},
      {"C:\\docs\\a.vxb", 12, "C:\\docs"},   {"C:\\docs\\a.vxb", 14, "C:\\docs\\a"},
      {"C:\\docs\\a.vxb", 15, "C:\\docs\\a.vxb"}, {"C:\\docs\\a.vxb", 3, "a.vxb"},
      {"C:\\docs\\a.vxb", 2, "a"},           {"C:\\docs\\a.vxb", 1, ".vxb"},
      {"C:\\docs\\a.vxb", 6, "\\docs\\a"},   {"C:\\docs\\a.vxb", 0, ""},
      {"C:\\a.vxb", 12, "C:\\"},             {"C:\\a.vxb", 4, "\\"},
      {"C:a.vxb", 12, "C:"},                 {"C:a.vxb", 3, "a.vxb"},
      {"c:/docs/sub/", 12, "c:/docs/sub"},   {"c:/docs/sub/", 3, ""},
      {"\\\\srv\\share\\x\\y.vxb", 12, "\\\\srv\\share\\x"},
      {"\\\\srv\\share\\x\\y.vxb", 8, "\\\\srv\\share"},
      {"\\\\srv\\share\\x\\y.vxb", 4, "\\x"}, {"\\\\srv\\share\\y.vxb", 12, "\\\\srv\\share\\"},
      {"//srv/share", 8, "//srv/share"},      {"//srv/share", 3, ""},
      {"/home/u/a.b.vxb", 8, ""},             {"/home/u/a.b.vxb", 12, "/home/u"},
      {"/home/u/a.b.vxb", 3, "a.b.vxb"},      {"/home/u/a.b.vxb", 2, "a.b"},
      {"/home/u/a.b.vxb", 1, ".vxb"},         {"/a.vxb", 12, "/"},
      {"a.vxb", 12, ""},                      {"docs/.profile", 1, ".profile"},
      {"docs.d/readme", 1, ""},               {"docs.d/readme", 3, "readme"},
  };
  for (const auto& c : cases) EXPECT_EQ(PathPart(c.path, c.mask), c.part) << c.path << " mask " << c.mask;
}

TEST(PathText, PartStarts) {
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 3), 8u);
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 1), 9u);
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 4), 2u);
  EXPECT_EQ(PathPartStart("C:\\docs\\a.vxb", 8), 0u);
  EXPECT_EQ(PathPartStart("\\\\srv\\share\\x\\y.vxb", 6), 11u);
  EXPECT_EQ(PathPartStart("/home/u/x", 0), 9u);
}

TEST(PathText, DisplayFormsRelativeQuotedAndShortened) {
  const struct {
    const char* path;
    const char* current;
    unsigned width;
    unsigned flags;
    const char* shown;
  } cases[] = {
      {"C:\\work\\docs\\a b.vxb", "C:\\work", 0, kDisplayRelative, "\"docs\\a b.vxb\""},
      {"C:\\work\\docs\\a b.vxb", "C:\\work", 0, kDisplayRelative | kDisplayUnquoted, "docs\\a b.vxb"},
      {"C:\\work", "C:\\work", 0, kDisplayRelative, "."},
      {"c:/WORK/", "C:\\work", 0, kDisplayRelative, "."},
      {"", "C:\\work", 0, kDisplayRelative, "<none>"},
      {"", "C:\\work", 0, 0, ""},
      {"C:\\workshop\\a.vxb", "C:\\work", 0, kDisplayRelative, "\\workshop\\a.vxb"},
      {"d:\\work\\a.vxb", "C:\\work", 0, kDisplayRelative, "D:\\work\\a.vxb"},
      {"\\\\srv\\share\\a.vxb", "C:\\work", 0, kDisplayRelative, "\\\\srv\\share\\a.vxb"},
      {"c:\\work\\a.vxb", "C:\\", 0, kDisplayRelative, "work\\a.vxb"},
      {"c:\\work\\a.vxb", "C:\\work", 0, 0, "C:\\work\\a.vxb"},
      {"/home/u/docs/x.vxb", "/home/u", 0, kDisplayRelative, "docs/x.vxb"},
      {"/home/u", "/home/u/", 0, kDisplayRelative, "."},
      {"/home/user/x.vxb", "/home/u", 0, kDisplayRelative, "/home/user/x.vxb"},
      {"/Home/u/x.vxb", "/home/u", 0, kDisplayRelative, "/Home/u/x.vxb"},
      {"/etc/x", "/", 0, kDisplayRelative, "etc/x"},
      {"x.vxb", "/home/u", 0, kDisplayRelative, "x.vxb"},
      {"/home/u/my docs/x", "/home/u", 0, kDisplayRelative, "\"my docs/x\""},
      {"C:\\one\\two\\three\\file.vxb", "D:\\", 20, 0, "C:\\...\\three\\file.vxb"},
      {"C:\\one\\two\\three\\file.vxb", "C:\\x", 20, kDisplayRelative, "\\...\\three\\file.vxb"},
      {"C:\\one\\two\\three\\file.vxb", "D:\\", 23, 0, "C:\\one\\two\\three\\file.vxb"},
      {"C:\\one\\two\\three\\file.vxb", "D:\\", 5, 0, "C:\\...\\file.vxb"},
      {"/a/bb/ccc/name.vxb", "/", 14, kDisplayRelative, ".../name.vxb"},
      {"/a/bb/ccc/name.vxb", "/x", 17, kDisplayRelative, "/.../ccc/name.vxb"},
      {"averyveryverylongname.vxb", "/x", 5, kDisplayRelative, "averyveryverylongname.vxb"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DisplayPath(c.path, c.current, c.width, c.flags), c.shown)
        << c.path << " from " << c.current << " width " << c.width << " flags " << c.flags;
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
