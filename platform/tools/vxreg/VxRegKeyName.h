// Key names on vxreg's command line: a root (HKCU, HKLM, HKCR, HKCC or their full
// names, without regard to case), optionally followed by "\" and a path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

struct VxRegKeyName {
  HKEY root;
  std::string rootName;  // the root's full name, HKEY_CURRENT_USER ...
  std::string path;      // below the root; empty for the root itself

  // The full name as vxreg prints it.
  std::string FullName() const { return path.empty() ? rootName : rootName + "\\" + path; }
  VxRegKeyName Child(std::string_view name) const;
};

// Nothing for an unknown root or an empty component.
std::optional<VxRegKeyName> ParseVxRegKeyName(std::string_view text);
