// Drive kinds from the mount table.
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
        "tmpfs /net/docs/cache tmpfs rw 0 0\n");
    setenv("VXST_MOUNT_TABLE", table.c_str(), 1);
  }
  void TearDown() override { unsetenv("VXST_MOUNT_TABLE"); }
  TempFolder m_folder;
};

TEST_F(DriveTypeTest, KindsByFileSystem) {
  EXPECT_EQ(GetDriveTypeOfPath("/home/a/manual.vxb"), DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeOfPath("/net/docs/manual.vxb"), DRIVE_REMOTE);
  EXPECT_EQ(GetDriveTypeOfPath("/mnt/nas/x/manual.vxb"), DRIVE_REMOTE);
  EXPECT_EQ(GetDriveTypeOfPath("/media/cd/manual.vxb"), DRIVE_CDROM);
  EXPECT_EQ(GetDriveTypeOfPath("/run/ram/manual.vxb"), DRIVE_RAMDISK);
  EXPECT_EQ(GetDriveTypeOfPath("/proc/manual.vxb"), DRIVE_UNKNOWN);
}

TEST_F(DriveTypeTest, TheLongestMountPointDecides) {
  EXPECT_EQ(GetDriveTypeOfPath("/net/docs/cache/manual.vxb"), DRIVE_RAMDISK);
  EXPECT_EQ(GetDriveTypeOfPath("/net/docsx/manual.vxb"), DRIVE_FIXED);
}

TEST_F(DriveTypeTest, EscapedBlanksInMountPoints) {
  EXPECT_EQ(GetDriveTypeOfPath("/media/my stick/manual.vxb"), DRIVE_FIXED);
}

TEST_F(DriveTypeTest, DriveLettersHaveNoRootAndNetworkRootsAreRemote) {
  EXPECT_EQ(GetDriveTypeOfPath("C:\\docs\\manual.vxb"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveTypeOfPath("\\\\server\\share\\manual.vxb"), DRIVE_REMOTE);
}

TEST_F(DriveTypeTest, NothingMountedMeansNoRoot) {
  const std::string table = m_folder.Write("empty", "");
  setenv("VXST_MOUNT_TABLE", table.c_str(), 1);
  EXPECT_EQ(GetDriveTypeOfPath("/home/a/manual.vxb"), DRIVE_NO_ROOT_DIR);
}

TEST_F(DriveTypeTest, BackslashPathsAreTheSame) {
  EXPECT_EQ(GetDriveTypeOfPath("\\net\\docs\\manual.vxb"), DRIVE_REMOTE);
}

}  // namespace
