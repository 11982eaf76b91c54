// Keeps a window's placement between runs in the program's profile: the values
// "flags", "showCmd", "x1", "y1", "x2", "y2" of one section, and beside them the
// zoom of the window's view in percent ("zoom").
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
  // The placement as saved, not made fit for any screen; nothing when any value is missing.
  std::optional<WindowPlacement> ReadSaved() const;

  bool SaveZoom(int percent) const;
  // The saved zoom brought into the range of ZoomSteps; the normal zoom when none is saved.
  int RestoreZoom() const;

  const std::string& GetSection() const { return m_section; }

 private:
  const AppProfile& m_profile;
  std::string m_section;
};
