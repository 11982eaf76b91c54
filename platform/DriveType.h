// The kind of drive a path lies on, as the original platform told drive kinds
// apart, taken from the mount table: the mount with the longest mount point that
// holds the path decides. Network file systems are remote, iso9660 and udf
// optical, tmpfs and ramfs RAM disks, pseudo file systems (proc, sysfs ...)
// unknown, a block device that the kernel marks removable removable, and every
// other file system a fixed disk. A path on no mounted file system, or with a
// drive letter (which names nothing here), has no root; a network root
// ("\\server\share") is remote.
//
// VXST_MOUNT_TABLE names a file in the format of /proc/self/mounts to read in
// place of the process's own mount table (tests and sandboxes).
#pragma once

#include <string>

#include "platform/WinTypes.h"

inline constexpr unsigned DRIVE_UNKNOWN = 0;
inline constexpr unsigned DRIVE_NO_ROOT_DIR = 1;
inline constexpr unsigned DRIVE_REMOVABLE = 2;
inline constexpr unsigned DRIVE_FIXED = 3;
inline constexpr unsigned DRIVE_REMOTE = 4;
inline constexpr unsigned DRIVE_CDROM = 5;
inline constexpr unsigned DRIVE_RAMDISK = 6;

// The drive kind of PATH (a relative path is taken from the current folder).
unsigned GetDriveTypeOfPath(const std::string& path);
