// Tidy runs of vxstreg: entries whose files are gone, by the kind of drive.
#include "platform/DriveType.h"
#include "registrar/RegistrarTexts.h"
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

TEST_F(TidyTest, AFixedDiskEntryGoesSilentlyANetworkOneOnlyWhenConfirmedAllUsersLeftAlone) {
  // No answer takes the default, No. The local entry goes each time, the network one with a Yes.
  for (const char* answer : {"", "n\n", "y\n"}) {
    const Outcome run = Run({"/C", "/T"}, answer);
    EXPECT_EQ(run.err,
              Question(m_remote, "a remote (network) drive") + "(Y)es, (N)o [N]? " +
                  BoxText(*answer == 'y' ? "Tidy up Registry: 2 links to missing files removed."
                                         : "Tidy up Registry: 1 link to missing files removed."))
        << answer;
    EXPECT_EQ(Doc("Local"), "#2");
    EXPECT_EQ(Doc("Remote"), *answer == 'y' ? "#2" : m_remote) << answer;
    Register(MakeArchive("local.vxb", "Local"));
    std::filesystem::remove(m_local);
  }
  // A tidy of all users' entries leaves the current user's alone.
  EXPECT_EQ(Run({"/A", "/T"}).err, BoxText(registrar::kNoMissingLinks));
  EXPECT_EQ(Doc("Local"), m_local);
}

TEST_F(TidyTest, OtherDriveKinds) {
  for (const auto& [mounts, kind] : std::initializer_list<std::pair<const char*, const char*>>{
           {"tmpfs / tmpfs rw 0 0\n", "a RAM disk"},
           {"/dev/sr0 / iso9660 ro 0 0\n", "a CD-ROM or DVD"},
           {"", "a drive, which is invalid (unmounted etc.)"},
           {"proc / proc rw 0 0\n", "an unknown drive."}}) {
    SetMountTable(mounts);
    EXPECT_NE(Run({"/C", "/T"}, "n\nn\n").err.find(Question(m_local, kind)), std::string::npos) << kind;
  }
  EXPECT_EQ(Doc("Local"), m_local);
}

TEST_F(TidyTest, MediaNotMountedAndFoldersGoneAreAskedForAnEntryWithoutPathIsNot) {
  std::filesystem::create_directories(Docs("share"));  // a mount point, nothing mounted
  SetFileSystemTable("server:/docs " + Docs("share") + " nfs defaults 0 0\n");
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"Stick", "/media/user/STICK/x.vxb"}, {"RunMedia", "/run/media/user/STICK/x.vxb"},
      {"Share", "/mnt/net/share/x.vxb"}, {"Fstab", Docs("share/x.vxb")}, {"Gone", Docs("gone/x.vxb")}};
  for (const auto& [name, path] : entries) {
    PutText(HKEY_CURRENT_USER, (std::string(stow::DocumentProfiling::kCatalogKey) + "\\" + name + "\\FC7").c_str(),
            "Doc", path);
  }
  // What a registration killed between its key and its value used to leave: no question.
  PutText(HKEY_CURRENT_USER, (std::string(stow::DocumentProfiling::kCatalogKey) + "\\Broken\\FC3").c_str(),
          "Other", "x");
  const Outcome run = Run({"/C", "/T"});  // every question answered by its default, No
  EXPECT_EQ(Count(run.err, "Delete anyway?"), 1 + entries.size()) << run.err;  // the remote one too
  EXPECT_NE(run.err.find("Tidy up Registry: 2 links to missing files removed."), std::string::npos)
      << run.err;
  for (const auto& [name, path] : entries) {
    EXPECT_NE(run.err.find(Question(path, "a drive, which is invalid (unmounted etc.)")), std::string::npos)
        << name << "\n" << run.err;
    EXPECT_EQ(Doc(name), path);
  }
  EXPECT_EQ(Doc("Local"), "#2");
}

// A removable disk cannot be made for a test; its question is checked as a text.
TEST(TidyQuestionTest, RemovableDisksAreAskedForFixedDisksNot) {
  EXPECT_EQ(registrar::TidyQuestion("/a.vxb", DRIVE_REMOVABLE),
            "Tidy up document registration:\nThe path \"/a.vxb\" points to a removable disk.\n "
            "Delete anyway?");
  EXPECT_EQ(registrar::TidyQuestion("/a.vxb", DRIVE_FIXED), "");
}

}  // namespace
}  // namespace registrar_tests
