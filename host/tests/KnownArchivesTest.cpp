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
  struct Case {
    const char* url;
    bool admitted;
  };
  const Case cases[] = {
      {"vexost://Manual/index.htm", true},  // names are the reader's to resolve
      {"vexost://FirmCode:7::Manual/", true},
      {"vexost:", true},
      {"vexost:/broken", true},  // a syntax error opens nothing
      {"vexost://file:/data/manual.vxb/", true},
      {"VEXOST://FILE:/data/manual.vxb::index.htm", true},
      {"vexost://file:/data/manual.vxb/sub/page.htm", true},  // a topic of the archive open
      {"vexost://file%3A%2Fdata%2Fmanual.vxb/", true},
      {"vexost://file|\\data\\manual.vxb/", true},
      {"vexost://file:local.vxb/", true},
      {"vexost://file:/reg/r.vxb/", true},  // registered for the current user
      {"vexost://file:/all/a.vxb/", true},  // and for all users
      {"vexost://file:/data/other.vxb/", false},
      {"vexost://file:/data/manual.vxb.old/", false},
      {"vexost://file:/data/manual/", false},
      {"vexost://file:/data/../data/manual.vxb/", false},
      {"vexost://file:/data/./manual.vxb/", false},
      {"vexost://file://data/manual.vxb/", false},
      // The path ends at ".vxb/": the rest names a topic inside the archive.
      {"vexost://file:/data/manual.vxb/../../etc/passwd", true},
      {"vexost://file:/etc/passwd", false},
      {"vexost://file:%HOME%/manual.vxb/", false},
      {"vexost://file:$HOME/manual.vxb/", false},
      {"vexost://file:/dev/stdin", false},
      {"vexost://Manual::file:/etc/x.vxb/", false},  // the file part wins over the name
      {"vexost://file:/etc/x.vxb::Manual/", false},
      {"vexost://file:/data/manual.vxb::file:/etc/x.vxb/", false},
      {"vexost://file:other.vxb/", false},
  };
  for (const Case& c : cases) EXPECT_EQ(known.Admits(c.url), c.admitted) << c.url;
}

}  // namespace
