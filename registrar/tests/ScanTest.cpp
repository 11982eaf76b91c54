// What the registrar's scans take as a Linux user types them: looped trees,
// names matched as the file system matches them (the shell's
// special characters among them), hidden files named, switches
// and options written together, names with the shell's special characters and
// paths beyond the old limit of 260 characters.
#include <filesystem>

#include "registrar/tests/RegistrarFixture.h"

namespace registrar_tests {
namespace {

using ScanTest = RegistrarTest;

TEST_F(ScanTest, ALoopedTreeEndsWithOneRegistrationAndTellsTheLinksLeftOut) {
  const std::string a = MakeArchive("looped/a.vxb", "Alpha");
  std::filesystem::create_directory_symlink(".", Docs("looped/l1"));
  std::filesystem::create_directory_symlink(".", Docs("looped/l2"));
  std::filesystem::create_directory_symlink("/", Docs("looped/root"));
  const Outcome run = Run({"/C", "/I", Docs("looped/*.vxb"), "/S"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find(BoxText("1 file scanned:\nArchives: 1 file registered.\n")), std::string::npos)
      << run.err;
  for (const char* link : {"l1", "l2", "root"}) {
    EXPECT_NE(run.err.find("older \"" + Docs("looped/") + link +
                           "\" left out: a link leads back into the folders being scanned"),
              std::string::npos)
        << run.err;
  }
  EXPECT_EQ(Doc("Alpha"), a);
}

TEST_F(ScanTest, NamesMatchAsTheFileSystemDoesAndSwitchesMayBeWrittenTogether) {
  const std::string upper = MakeArchive("case/Manual.vxb", "Upper");
  const std::string lower = MakeArchive("case/manual.vxb", "Lower");
  const std::string odd = MakeArchive("odd/a \"b\" |c<d>.vxb", "Odd");  // the shell's specials
  EXPECT_EQ(Run({"/C", "/I", upper, odd}).exitCode, 0);
  EXPECT_EQ(Doc("Upper"), upper);
  EXPECT_EQ(Doc("Odd"), odd);
  EXPECT_EQ(Doc("Lower"), "#2");
  // Patterns count case too, as the shell's do.
  EXPECT_EQ(Run({"/C", "/I", Docs("case/m*.vxb")}).exitCode, 0);
  EXPECT_EQ(Doc("Lower"), lower);
  EXPECT_EQ(Run({"/C", "/U", upper}).exitCode, 0);
  EXPECT_EQ(Doc("Upper"), "#2");
  EXPECT_EQ(Doc("Lower"), lower);
  // A hidden file named is taken; a pattern passes it over.
  const std::string hidden = MakeArchive("hid/.hidden.vxb", "Hidden");
  EXPECT_EQ(Run({"/C", "/I", Docs("hid/*.vxb")}).exitCode, ThisApp::kExitFailed);
  EXPECT_EQ(Doc("Hidden"), "#2");
  EXPECT_EQ(Run({"/C", "/I", hidden}).exitCode, 0);
  EXPECT_EQ(Doc("Hidden"), hidden);
  // Switches and options written together; output level 0 shows no summary.
  const std::string deep = MakeArchive("glued/sub/d.vxb", "Deep");
  EXPECT_EQ(Run({"/C/V0", "/I", Docs("glued/*.vxb/S")}).err, "");
  EXPECT_EQ(Doc("Deep"), deep);
  EXPECT_EQ(Run({"/V2/V0", "/C", "/U", Docs("glued/*.vxb/s")}).err, "");
  EXPECT_EQ(Doc("Deep"), "#2");
}

TEST_F(ScanTest, PathsBeyondTheOldLimitWorkEverywhere) {
  std::string relative;
  while (Docs(relative).size() < 600) relative += "a-rather-long-folder-name/";
  const std::string far = MakeArchive(relative + "far.vxb", "Far");
  const Outcome named = Run({"/C", "/I", far});
  EXPECT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(Doc("Far"), far);
  // Opened by file and by name: the reader module resolves the whole path.
  RegisterReaderModule();
  const std::string opener = SetOpener("echo \"$1\" >> \"$0.log\"\n");
  const Outcome opened = Run({"/O", far, "/O", "Far"});
  EXPECT_EQ(opened.exitCode, 0) << opened.err;
  EXPECT_EQ(TempFolder::ReadAll(opener + ".log"), "vexost://file:" + far + "\nvexost://file:" + far + "\n");
}

}  // namespace
}  // namespace registrar_tests
