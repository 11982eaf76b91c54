// The kind of drive a path lies on, as the original platform told drive kinds
// apart, taken from the mount table: the mount with the longest mount point that
// holds the path decides. Network file systems are remote, iso9660 and udf
// optical, tmpfs and ramfs RAM disks, pseudo file systems (proc, sysfs ...)
// unknown, a block device that the kernel marks removable removable, and every
// other file system a fixed disk. A path on no mounted file system, or with a
// drive letter (which names nothing here), has no root; a network root
// ("\\server\share") is remote.
//
// Media come and go: a path below a place where removable or network media are
// mounted is never on a fixed disk, whether the medium is there or not. Such
// places are the folders below /media, /run/media and /mnt, and the mount points
// of the file system table that are mounted on demand (noauto, automount) or
// are network file systems. There a path without its medium mounted has no
// root (it is not mounted now), and a medium that the kernel takes for a fixed
// disk (a USB disk) is removable. An automount point not yet triggered has no
// root either.
//
// VXST_MOUNT_TABLE names a file in the format of /proc/self/mounts to read in
// place of the process's own mount table, and VXST_FSTAB one in the format of
// /etc/fstab in place of that (tests and sandboxes).
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
