// The syntax of path texts shared by the file layer and the file classes: both
// '\' and '/' separate, and a path may begin with a drive ("C:") or a network
// root ("\\server\share"), which are understood as text only.
#pragma once

#include <cstddef>
#include <string_view>

// The longest path this system names (PATH_MAX less its terminating zero): the
// one limit of every path text the system reads, stores or hands on.
inline constexpr std::size_t kMaxPathLength = 4095;

inline constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

inline constexpr bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline constexpr bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

inline constexpr bool IsNetworkPath(std::string_view path) {
  return path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

// Length of the drive part: 2 for "C:", the server-and-share root of a network
// path up to (not including) the separator after the share name, else 0.
inline constexpr std::size_t DriveRootLength(std::string_view path) {
  if (HasDriveLetter(path)) return 2;
  if (!IsNetworkPath(path)) return 0;
  std::size_t pos = 2;
  for (int part = 0; part < 2 && pos < path.size(); ++part) {
    if (part == 1) ++pos;  // the separator between server and share
    while (pos < path.size() && !IsPathSeparator(path[pos])) ++pos;
  }
  return pos;
}

// The separator to add to PATH: '\' for a path in the drive or network form or
// one written with '\' only, else '/'.
inline constexpr char PreferredSeparator(std::string_view path) {
  if (DriveRootLength(path) > 0) return '\\';
  return path.find('\\') != std::string_view::npos && path.find('/') == std::string_view::npos
             ? '\\'
             : '/';
}
