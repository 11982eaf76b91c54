#include "base/PathText.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/PathSyntax.h"

namespace vxs {
namespace {

constexpr std::string_view kSeparators = "\\/";

struct PathBounds {
  std::size_t driveEnd;
  std::size_t nameStart;
  std::size_t extensionStart;
  std::size_t end;
};

PathBounds BoundsOf(std::string_view path) {
  PathBounds bounds{};
  bounds.end = path.size();
  bounds.driveEnd = DriveRootLength(path);
  // One pass from the end: the last dot, then the last separator before it
  // (paths are looked at on every request, so no search per character).
  std::size_t dot = std::string_view::npos;
  std::size_t at = path.size();
  while (at > 0) {
    const char c = path[at - 1];
    if (c == '\\' || c == '/' || c == ':') break;
    if (c == '.' && dot == std::string_view::npos) dot = at - 1;
    --at;
  }
  bounds.nameStart = std::max(at, bounds.driveEnd);
  bounds.extensionStart = dot != std::string_view::npos && dot >= bounds.nameStart ? dot : bounds.end;
  return bounds;
}

// Start and end of part BIT (one of kPart*).
std::size_t PartStart(const PathBounds& b, unsigned bit) {
  switch (bit) {
    case kPartDrive: return 0;
    case kPartFolder: return b.driveEnd;
    case kPartName: return b.nameStart;
    default: return b.extensionStart;
  }
}

std::size_t PartEnd(const PathBounds& b, unsigned bit) {
  switch (bit) {
    case kPartDrive: return b.driveEnd;
    case kPartFolder: return b.nameStart;
    case kPartName: return b.extensionStart;
    default: return b.end;
  }
}

unsigned HighestBit(unsigned mask) {
  for (unsigned bit = kPartDrive; bit; bit >>= 1) {
    if (mask & bit) return bit;
  }
  return 0;
}

unsigned LowestBit(unsigned mask) { return mask & (~mask + 1); }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameChar(char a, char b, bool ignoreCase) {
  if (IsPathSeparator(a) && IsPathSeparator(b)) return true;
  return ignoreCase ? LowerAscii(a) == LowerAscii(b) : a == b;
}

bool SameText(std::string_view a, std::string_view b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameChar(a[i], b[i], ignoreCase)) return false;
  }
  return true;
}

// REST with the leading FOLDER cut off: "." for the folder itself, nothing when
// REST does not lie in it.
std::optional<std::string> CutFolder(std::string_view rest, std::string_view folder,
                                     bool ignoreCase) {
  while (folder.size() > 1 && IsPathSeparator(folder.back())) folder.remove_suffix(1);
  if (folder.empty()) return std::nullopt;
  std::string_view tail;
  if (folder.size() == 1 && IsPathSeparator(folder[0])) {
    if (rest.empty() || !IsPathSeparator(rest[0])) return std::nullopt;
    tail = rest.substr(1);
  } else {
    if (rest.size() < folder.size() || !SameText(rest.substr(0, folder.size()), folder, ignoreCase)) {
      return std::nullopt;
    }
    tail = rest.substr(folder.size());
    if (!tail.empty() && !IsPathSeparator(tail[0])) return std::nullopt;
    if (!tail.empty()) tail.remove_prefix(1);
  }
  return tail.empty() ? std::string(".") : std::string(tail);
}

// REST without as many leading folders as it takes to fit MAXLENGTH, "\..." in
// their place; the name itself is always kept.
std::string Shorten(std::string rest, unsigned maxLength) {
  if (maxLength == 0 || rest.size() <= maxLength) return rest;
  const bool rooted = IsPathSeparator(rest[0]);
  const std::size_t last = rest.find_last_of(kSeparators);
  if (last == std::string::npos) return rest;
  const std::string marker = rooted ? std::string(1, rest[0]) + "..." : "...";
  std::string shortened;
  for (std::size_t cut = rest.find_first_of(kSeparators, rooted ? 1 : 0);
       cut != std::string::npos && cut <= last; cut = rest.find_first_of(kSeparators, cut + 1)) {
    shortened = marker + rest.substr(cut);
    if (shortened.size() <= maxLength) break;
  }
  return shortened.empty() ? rest : shortened;
}

// The components of TEXT with "." and empty ones dropped and ".." resolved.
std::vector<std::string_view> Normalized(std::string_view text) {
  std::vector<std::string_view> components;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t next = text.find_first_of(kSeparators, pos);
    if (next == std::string_view::npos) next = text.size();
    const std::string_view part = text.substr(pos, next - pos);
    if (part == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!part.empty() && part != ".") {
      components.push_back(part);
    }
    pos = next + 1;
  }
  return components;
}

}  // namespace

std::size_t PathPartStart(std::string_view path, unsigned mask) {
  const unsigned highest = HighestBit(mask);
  return highest ? PartStart(BoundsOf(path), highest) : path.size();
}

std::string PathPart(std::string_view path, unsigned mask) {
  const unsigned highest = HighestBit(mask);
  if (!highest) return {};
  const PathBounds bounds = BoundsOf(path);
  const std::size_t start = PartStart(bounds, highest);
  std::size_t end = PartEnd(bounds, LowestBit(mask));
  const bool endsWithFolder = LowestBit(mask) == kPartFolder;
  const bool folderIsRoot = bounds.nameStart - bounds.driveEnd == 1;
  if (endsWithFolder && !folderIsRoot && end > bounds.driveEnd && IsPathSeparator(path[end - 1])) {
    --end;
  }
  return std::string(path.substr(start, end - start));
}

std::string FullPath(std::string_view path, std::string_view current) {
  if (path.empty()) return {};
  const std::size_t driveEnd = DriveRootLength(path);
  const std::size_t currentDriveEnd = DriveRootLength(current);
  std::string root;
  std::string folders;
  if (driveEnd > 0) {
    root = path.substr(0, driveEnd);
    const std::string_view rest = path.substr(driveEnd);
    const bool driveRelative = HasDriveLetter(path) && (rest.empty() || !IsPathSeparator(rest[0]));
    const bool onCurrentDrive =
        HasDriveLetter(current) && LowerAscii(current[0]) == LowerAscii(path[0]);
    if (driveRelative && onCurrentDrive) folders = std::string(current.substr(2)) + '\\';
    folders += rest;
  } else {
    root = current.substr(0, currentDriveEnd);
    if (!IsPathSeparator(path[0])) folders = std::string(current.substr(currentDriveEnd)) + '/';
    folders += path;
  }
  const char separator = root.empty() ? '/' : '\\';
  std::string full = root;
  for (std::string_view component : Normalized(folders)) {
    full += separator;
    full += component;
  }
  if (full.size() == root.size()) full += separator;
  return full;
}

std::string DisplayPath(std::string_view path, std::string_view current, unsigned maxLength,
                        unsigned flags) {
  const bool relative = flags & kDisplayRelative;
  if (path.empty()) return relative ? "<none>" : "";
  const std::size_t driveEnd = DriveRootLength(path);
  std::string drive(path.substr(0, driveEnd));
  std::string rest(path.substr(driveEnd));
  const bool hasLetter = HasDriveLetter(path);
  if (hasLetter) drive[0] = static_cast<char>(drive[0] >= 'a' ? drive[0] - 32 : drive[0]);
  if (relative && (hasLetter || driveEnd == 0)) {
    const bool currentHasLetter = HasDriveLetter(current);
    const bool sameDrive =
        driveEnd == 0 || (currentHasLetter && LowerAscii(current[0]) == LowerAscii(path[0]));
    if (sameDrive) {
      drive.clear();
      const std::string_view currentFolder = current.substr(DriveRootLength(current));
      if (auto cut = CutFolder(rest, currentFolder, hasLetter || currentHasLetter)) rest = *cut;
    }
  }
  std::string shown = drive + Shorten(rest, maxLength);
  if (!(flags & kDisplayUnquoted) && shown.find(' ') != std::string::npos) {
    shown = '"' + shown + '"';
  }
  return shown;
}

}  // namespace vxs
