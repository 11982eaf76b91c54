// Path texts as the file classes read and show them. Both '\' and '/' separate;
// drive letters and network roots are understood as text (platform/PathSyntax.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vxs {

// Parts of a path, as bits of a mask. Adjacent bits select the text from the start
// of the highest part to the end of the lowest: 12 the folder of a file, 3 its name
// with extension.
inline constexpr unsigned kPartExtension = 1;  // from the last '.' of the name on
inline constexpr unsigned kPartName = 2;       // after the last '\', '/' or ':'
inline constexpr unsigned kPartFolder = 4;     // after the drive
inline constexpr unsigned kPartDrive = 8;      // "C:" or "\\server\share"

// Flags of DisplayPath.
inline constexpr unsigned kDisplayRelative = 0x200;  // relative to the current folder
inline constexpr unsigned kDisplayUnquoted = 0x400;  // never in double quotes

// Where the highest part of MASK begins in PATH (the path's length for mask 0).
std::size_t PathPartStart(std::string_view path, unsigned mask);

// The parts of MASK. A folder selected without the name loses its trailing
// separator unless it is the root: PathPart("C:\a.vxb", 12) is "C:\".
std::string PathPart(std::string_view path, unsigned mask);

// The full form of PATH in a process whose current folder is CURRENT: relative
// paths are put below it, "." and ".." resolved and repeated separators merged.
// Paths with a drive or network root are written with '\', others with '/'.
std::string FullPath(std::string_view path, std::string_view current);

// PATH as messages show it (see kDisplay*): a drive letter in upper case; with
// kDisplayRelative the CURRENT folder is cut off ("." for the folder itself,
// "<none>" for an empty path) and the drive is written only when it differs;
// when longer than MAXLENGTH (0: no limit), leading folders give way to "\...";
// in double quotes when it holds a blank, unless kDisplayUnquoted is set.
std::string DisplayPath(std::string_view path, std::string_view current, unsigned maxLength,
                        unsigned flags);

}  // namespace vxs
