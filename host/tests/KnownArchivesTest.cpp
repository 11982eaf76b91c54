// Which vexost: URLs a host for other machines lets the reader serve: names
// always, file: URLs only for the archives it knows, however they are spelled.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "catalog/DocumentProfiling.h"
#include "host/KnownArchives.h"
#include "platform/tests/TempFolder.h"

namespace {

TEST(KnownArchives, FileUrlsOnlyForKnownArchivesHoweverSpelled) {
  TempFolder registry;
  ::setenv("VXST_REGISTRY_DIR", registry.Path().c_str(), 1);
  const KelAppDescriptor descriptor{"test", "VK", "VEXO-KEY\\Stowra", "VEXO-SYSTEMS", 0x300};
  stow::DocumentProfiling catalog(descriptor);
  ASSERT_TRUE(catalog.RegisterArchive(stow::ArchiveIdentity{true, "Reg", 5, "/reg/r.vxb"},
                                      stow::Placement::CurrentUser));
  ASSERT_TRUE(catalog.RegisterArchive(stow::ArchiveIdentity{true, "All", 6, "/all/a.vxb"},
                                      stow::Placement::AllUsers));
  EXPECT_EQ(KnownArchives::RegisteredPaths(),
            (std::vector<std::string>{"/reg/r.vxb", "/all/a.vxb"}));
  char folder[4096];
  ASSERT_TRUE(::getcwd(folder, sizeof folder));
  const std::string here = folder;
  const KnownArchives known({"/data/manual.vxb", here + "/local.vxb"});
  // Names are the reader's to resolve; a syntax error opens nothing; registered
  // archives of either catalog; a path ends at ".vxb/", the rest names a topic in it.
  for (const char* url :
       {"vexost://Manual/index.htm", "vexost://FirmCode:7::Manual/", "vexost:", "vexost:/broken",
        "vexost://file:/data/manual.vxb/", "VEXOST://FILE:/data/manual.vxb::index.htm",
        "vexost://file:/data/manual.vxb/sub/page.htm", "vexost://file%3A%2Fdata%2Fmanual.vxb/",
        "vexost://file|\\data\\manual.vxb/", "vexost://file:local.vxb/",
        "vexost://file:/reg/r.vxb/", "vexost://file:/all/a.vxb/",
        "vexost://file:/data/manual.vxb/../../etc/passwd"})
    EXPECT_TRUE(known.Admits(url)) << url;
  // Other files, other spellings of a known path, and file parts beside a name.
  for (const char* url :
       {"vexost://file:/data/other.vxb/", "vexost://file:/data/manual.vxb.old/",
        "vexost://file:/data/manual/", "vexost://file:/data/../data/manual.vxb/",
        "vexost://file:/data/./manual.vxb/", "vexost://file://data/manual.vxb/",
        "vexost://file:/etc/passwd", "vexost://file:%HOME%/manual.vxb/",
        "vexost://file:$HOME/manual.vxb/", "vexost://file:/dev/stdin",
        "vexost://Manual::file:/etc/x.vxb/", "vexost://file:/etc/x.vxb::Manual/",
        "vexost://file:/data/manual.vxb::file:/etc/x.vxb/", "vexost://file:other.vxb/"})
    EXPECT_FALSE(known.Admits(url)) << url;
}

}  // namespace
