#include "platform/DriveType.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"

namespace {

struct Mount {
  std::string device;
  std::string point;
  std::string type;
  std::string options;  // comma-separated
};

// Folders whose subfolders are the mount points of removable media.
constexpr std::string_view kMediaFolders[] = {"/media", "/run/media", "/mnt"};

bool IsOctal(const std::string& field, std::size_t at) {
  for (std::size_t i = at; i < at + 3; ++i) {
    if (field[i] < '0' || field[i] > '7') return false;
  }
  return true;
}

// A field of the mount table with its octal escapes (\040 for a blank) undone.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field, i + 1)) {
      out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// The mounts of a table in the format of /proc/self/mounts and /etc/fstab: the
// file named by the variable OVERRIDE, else DEFAULTFILE.
std::vector<Mount> ReadMountTable(const char* override, const char* defaultFile) {
  const char* named = std::getenv(override);
  std::ifstream in(named && *named ? named : defaultFile);
  std::vector<Mount> mounts;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, point, type, options;
    if (!(fields >> device >> point >> type) || device[0] == '#') continue;
    fields >> options;
    mounts.push_back({Unescape(device), Unescape(point), type, options});
  }
  return mounts;
}

// Whether PATH lies on the mount point POINT (both absolute, with '/').
bool Below(const std::string& path, const std::string& point) {
  if (point == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, point.size(), point) == 0 &&
         (path.size() == point.size() || path[point.size()] == '/');
}

bool IsOneOf(std::string_view type, std::initializer_list<std::string_view> types) {
  for (std::string_view candidate : types) {
    if (type == candidate) return true;
  }
  return false;
}

bool IsRemote(std::string_view type) {
  return IsOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph",
                        "glusterfs", "lustre", "davfs", "fuse.sshfs", "fuse.davfs2",
                        "fuse.rclone", "fuse.glusterfs", "fuse.s3fs"});
}

bool IsPseudo(std::string_view type) {
  return IsOneOf(type, {"proc", "sysfs", "devpts", "devtmpfs", "cgroup", "cgroup2", "securityfs",
                        "debugfs", "tracefs", "configfs", "pstore", "bpf", "mqueue", "hugetlbfs",
                        "autofs", "binfmt_misc", "fusectl", "efivarfs"});
}

// Whether the kernel marks the block device DEVICE (/dev/NAME), or the disk that
// holds the partition, removable.
bool IsRemovableDevice(const std::string& device) {
  if (device.compare(0, 5, "/dev/") != 0) return false;
  const std::string name = device.substr(device.find_last_of('/') + 1);
  for (const char* file : {"/removable", "/../removable"}) {
    std::ifstream flag("/sys/class/block/" + name + file);
    char c = 0;
    if (flag >> c) return c == '1';
  }
  return false;
}

bool HasOption(const Mount& mount, std::string_view option) {
  std::istringstream options(mount.options);
  std::string word;
  while (std::getline(options, word, ',')) {
    if (word == option) return true;
  }
  return false;
}

// The mount that holds PATH: the one with the longest mount point.
const Mount* Holding(const std::vector<Mount>& mounts, const std::string& path) {
  const Mount* best = nullptr;
  for (const Mount& mount : mounts) {
    if (Below(path, mount.point) && (!best || mount.point.size() >= best->point.size())) best = &mount;
  }
  return best;
}

// The mount point of a medium that may be absent at PATH, or "": a folder
// below one of kMediaFolders, or a point of the file system table that is
// mounted on demand or over the network.
std::string MediaPlaceOf(const std::string& path) {
  std::string place;
  for (std::string_view folder : kMediaFolders) {
    const std::string prefix = std::string(folder) + "/";
    if (!path.starts_with(prefix)) continue;
    const std::size_t end = path.find('/', prefix.size());
    place = path.substr(0, end == std::string::npos ? path.size() : end);
  }
  for (const Mount& entry : ReadMountTable("VXST_FSTAB", "/etc/fstab")) {
    const bool onDemand = HasOption(entry, "noauto") || HasOption(entry, "x-systemd.automount") ||
                          IsRemote(entry.type);
    if (onDemand && entry.point != "/" && Below(path, entry.point) && entry.point.size() > place.size()) {
      place = entry.point;
    }
  }
  return place;
}

unsigned KindOf(const Mount& mount) {
  if (IsRemote(mount.type)) return DRIVE_REMOTE;
  if (IsOneOf(mount.type, {"iso9660", "udf"})) return DRIVE_CDROM;
  if (IsOneOf(mount.type, {"tmpfs", "ramfs"})) return DRIVE_RAMDISK;
  if (IsPseudo(mount.type)) return DRIVE_UNKNOWN;
  return IsRemovableDevice(mount.device) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

}  // namespace

unsigned GetDriveTypeOfPath(const std::string& text) {
  if (HasDriveLetter(text)) return DRIVE_NO_ROOT_DIR;
  if (IsNetworkPath(text)) return DRIVE_REMOTE;
  std::string path = text;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.empty() || path[0] != '/') path = os::CurrentFolder() + "/" + path;
  const std::vector<Mount> mounts = ReadMountTable("VXST_MOUNT_TABLE", "/proc/self/mounts");
  const Mount* mount = Holding(mounts, path);
  if (!mount || mount->type == "autofs") return DRIVE_NO_ROOT_DIR;
  const std::string place = MediaPlaceOf(path);
  if (place.empty()) return KindOf(*mount);
  // The medium is there when a file system is mounted at its place or below.
  if (!Below(mount->point, place)) return DRIVE_NO_ROOT_DIR;
  const unsigned kind = KindOf(*mount);
  return kind == DRIVE_FIXED || kind == DRIVE_UNKNOWN ? DRIVE_REMOVABLE : kind;
}
