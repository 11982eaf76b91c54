// Keeps a window's placement between runs in the program's profile: the values
// "flags", "showCmd", "x1", "y1", "x2", "y2" of one section.
#pragma once

#include <optional>
#include <string>

#include "platform/AppProfile.h"
#include "viewer/WindowPlacement.h"

class WindowStateSaver {
 public:
  WindowStateSaver(const AppProfile& profile, std::string section)
      : m_profile(profile), m_section(std::move(section)) {}

  // Writes all six values; false when one cannot be written.
  bool Save(const WindowPlacement& placement) const;
  // The saved placement made fit for WORKAREA; nothing when any value is missing.
  std::optional<WindowPlacement> Restore(const WindowRect& workArea) const;

  const std::string& GetSection() const { return m_section; }

 private:
  const AppProfile& m_profile;
  std::string m_section;
};
