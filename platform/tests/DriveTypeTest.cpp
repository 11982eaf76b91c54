// Drive kinds from the mount table and the file system table.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/DriveType.h"
#include "platform/tests/TempFolder.h"

namespace {

class DriveTypeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string table = m_folder.Write("mounts",
        "overlay / overlay rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "server:/export /net/docs nfs4 rw 0 0\n"
        "//nas/share /mnt/nas cifs rw 0 0\n"
        "/dev/sr0 /media/cd iso9660 ro 0 0\n"
        "tmpfs /run/ram tmpfs rw 0 0\n"
        "/dev/nothere1 /media/my\\040stick vfat rw 0 0\n"
        "tmpfs /net/docs/cache tmpfs rw 0 0\n"
        "systemd-1 /srv/auto autofs rw 0 0\n"
        "systemd-1 /srv/used autofs rw 0 0\n"
        "/dev/nothere2 /srv/used ext4 rw 0 0\n"
        "/dev/nothere3 /srv/backup ext4 rw 0 0\n");
    setenv("VXST_MOUNT_TABLE", table.c_str(), 1);
    const std::string fstab = m_folder.Write("fstab",
        "# device point type options\n"
        "/dev/sda1 / ext4 defaults 0 1\n"
        "server:/share /srv/share nfs defaults 0 0\n"
        "/dev/sdb1 /srv/backup ext4 noauto,user 0 0\n"
        "/dev/sdc1 /srv/archive ext4 noauto 0 0\n");
    setenv("VXST_FSTAB", fstab.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("VXST_MOUNT_TABLE");
    unsetenv("VXST_FSTAB");
  }
  TempFolder m_folder;
};

TEST_F(DriveTypeTest, KindsOfPathsAndNoRootWhenNothingIsMounted) {
  const struct {
    const char* path;
    unsigned kind;
  } cases[] = {
      {"/home/a/manual.vxb", DRIVE_FIXED},
      {"/net/docs/manual.vxb", DRIVE_REMOTE},
      {"/mnt/nas/x/manual.vxb", DRIVE_REMOTE},
      {"/media/cd/manual.vxb", DRIVE_CDROM},
      {"/run/ram/manual.vxb", DRIVE_RAMDISK},
      {"/proc/manual.vxb", DRIVE_UNKNOWN},
      // The longest mount point decides.
      {"/net/docs/cache/manual.vxb", DRIVE_RAMDISK},
      {"/net/docsx/manual.vxb", DRIVE_FIXED},
      // Mount points with escaped blanks; a medium below /media is removable
      // even where the kernel takes it for a fixed disk.
      {"/media/my stick/manual.vxb", DRIVE_REMOVABLE},
      // Media that are not mounted now: nothing at the place, or an automount
      // point not yet triggered.
      {"/media/user/STICK/manual.vxb", DRIVE_NO_ROOT_DIR},
      {"/run/media/user/STICK/manual.vxb", DRIVE_NO_ROOT_DIR},
      {"/mnt/net/share/manual.vxb", DRIVE_NO_ROOT_DIR},
      {"/srv/share/manual.vxb", DRIVE_NO_ROOT_DIR},
      {"/srv/archive/manual.vxb", DRIVE_NO_ROOT_DIR},
      {"/srv/auto/manual.vxb", DRIVE_NO_ROOT_DIR},
      // Mounted: a triggered automount; a medium mounted on demand.
      {"/srv/used/manual.vxb", DRIVE_FIXED},
      {"/srv/backup/manual.vxb", DRIVE_REMOVABLE},
      // Drive letters name nothing here; network roots are remote.
      {"C:\\docs\\manual.vxb", DRIVE_NO_ROOT_DIR},
      {"\\\\server\\share\\manual.vxb", DRIVE_REMOTE},
      {"\\net\\docs\\manual.vxb", DRIVE_REMOTE},
  };
  for (const auto& c : cases) EXPECT_EQ(GetDriveTypeOfPath(c.path), c.kind) << c.path;
  // Nothing mounted at all: no root.
  const std::string table = m_folder.Write("empty", "");
  setenv("VXST_MOUNT_TABLE", table.c_str(), 1);
  EXPECT_EQ(GetDriveTypeOfPath("/home/a/manual.vxb"), DRIVE_NO_ROOT_DIR);
}

}  // namespace
