// Tidy runs of vxstreg: entries whose files are gone, by the kind of drive.
#include "registrar/tests/RegistrarFixture.h"

namespace registrar_tests {
namespace {

class TidyTest : public RegistrarTest {
 protected:
  // A fixed disk at the root and a network file system at Docs("net").
  void SetUp() override {
    RegistrarTest::SetUp();
    SetMountTable("/dev/sda1 / ext4 rw 0 0\nserver:/export " + Docs("net") + " nfs4 rw 0 0\n");
    m_local = MakeArchive("local.vxb", "Local");
    m_remote = MakeArchive("net/remote.vxb", "Remote");
    Register(m_local);
    Register(m_remote);
    std::filesystem::remove(m_local);
    std::filesystem::remove(m_remote);
  }
  std::string Question(const std::string& path, const std::string& description) {
    return BoxText("Tidy up document registration:\nThe path \"" + path + "\" points to " + description +
                   ".\n Delete anyway?");
  }
  std::string m_local;
  std::string m_remote;
};

TEST_F(TidyTest, AFixedDiskEntryGoesSilentlyANetworkOneOnlyWhenConfirmed) {
  const Outcome kept = Run({"/C", "/T"}, "n\n");
  EXPECT_EQ(kept.err, Question(m_remote, "a remote (network) drive") + "(Y)es, (N)o [N]? " +
                          BoxText("Tidy up Registry: 1 link to missing files removed."));
  EXPECT_EQ(Doc("Local"), "#2");
  EXPECT_EQ(Doc("Remote"), m_remote);

  const Outcome removed = Run({"/C", "/T"}, "y\n");
  EXPECT_EQ(removed.err, Question(m_remote, "a remote (network) drive") + "(Y)es, (N)o [N]? " +
                             BoxText("Tidy up Registry: 1 link to missing files removed."));
  EXPECT_EQ(Doc("Remote"), "#2");
}

TEST_F(TidyTest, WithoutAnAnswerTheDefaultKeepsTheEntry) {
  const Outcome run = Run({"/C", "/T"});
  EXPECT_EQ(Doc("Remote"), m_remote);
  EXPECT_NE(run.err.find("1 link to missing files removed."), std::string::npos);
}

TEST_F(TidyTest, OtherDriveKinds) {
  SetMountTable("tmpfs / tmpfs rw 0 0\n");
  EXPECT_NE(Run({"/C", "/T"}, "n\nn\n").err.find(Question(m_local, "a RAM disk")), std::string::npos);
  SetMountTable("/dev/sr0 / iso9660 ro 0 0\n");
  EXPECT_NE(Run({"/C", "/T"}, "n\nn\n").err.find(Question(m_local, "a CD-ROM or DVD")), std::string::npos);
  SetMountTable("");
  EXPECT_NE(Run({"/C", "/T"}, "n\nn\n").err.find(Question(m_local, "a drive, which is invalid (unmounted etc.)")),
            std::string::npos);
  SetMountTable("proc / proc rw 0 0\n");
  EXPECT_NE(Run({"/C", "/T"}, "n\nn\n").err.find(Question(m_local, "an unknown drive.")), std::string::npos);
  EXPECT_EQ(Doc("Local"), m_local);
}

TEST_F(TidyTest, MediaNotMountedAndFoldersGoneAreAskedFor) {
  std::filesystem::create_directories(Docs("share"));  // a mount point, nothing mounted
  SetFileSystemTable("server:/docs " + Docs("share") + " nfs defaults 0 0\n");
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"Stick", "/media/user/STICK/x.vxb"}, {"RunMedia", "/run/media/user/STICK/x.vxb"},
      {"Share", "/mnt/net/share/x.vxb"}, {"Fstab", Docs("share/x.vxb")}, {"Gone", Docs("gone/x.vxb")}};
  for (const auto& [name, path] : entries) {
    PutText(HKEY_CURRENT_USER, (std::string(stow::DocumentProfiling::kCatalogKey) + "\\" + name + "\\FC7").c_str(),
            "Doc", path);
  }
  const Outcome run = Run({"/C", "/T"});  // every question answered by its default, No
  for (const auto& [name, path] : entries) {
    EXPECT_NE(run.err.find(Question(path, "a drive, which is invalid (unmounted etc.)")), std::string::npos)
        << name << "\n" << run.err;
    EXPECT_EQ(Doc(name), path);
  }
  EXPECT_EQ(Doc("Local"), "#2");
}

TEST_F(TidyTest, AnEntryWithoutPathIsRemovedWithoutAQuestion) {
  PutText(HKEY_CURRENT_USER, (std::string(stow::DocumentProfiling::kCatalogKey) + "\\Broken\\FC3").c_str(),
          "Other", "x");
  const Outcome run = Run({"/C", "/T"}, "n\n");
  EXPECT_EQ(Count(run.err, "Delete anyway?"), 1u) << run.err;
  EXPECT_NE(run.err.find("Tidy up Registry: 2 links to missing files removed."), std::string::npos) << run.err;
}

TEST_F(TidyTest, AllUsersTidyLeavesTheCurrentUserAlone) {
  const Outcome run = Run({"/A", "/T"});
  EXPECT_EQ(run.err, BoxText(registrar::kNoMissingLinks));
  EXPECT_EQ(Doc("Local"), m_local);
}

}  // namespace
}  // namespace registrar_tests
