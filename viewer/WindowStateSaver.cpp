#include "viewer/WindowStateSaver.h"

namespace {
constexpr const char* kFlags = "flags";
constexpr const char* kShowCmd = "showCmd";
constexpr const char* kLeft = "x1";
constexpr const char* kTop = "y1";
constexpr const char* kRight = "x2";
constexpr const char* kBottom = "y2";
constexpr const char* kZoom = "zoom";
}  // namespace

bool WindowStateSaver::Save(const WindowPlacement& placement) const {
  const WindowRect& rect = placement.normalPosition;
  bool written = m_profile.WriteProfileInt(m_section, kFlags, placement.flags);
  written = m_profile.WriteProfileInt(m_section, kShowCmd, placement.showCmd) && written;
  written = m_profile.WriteProfileInt(m_section, kLeft, rect.left) && written;
  written = m_profile.WriteProfileInt(m_section, kTop, rect.top) && written;
  written = m_profile.WriteProfileInt(m_section, kRight, rect.right) && written;
  return m_profile.WriteProfileInt(m_section, kBottom, rect.bottom) && written;
}

std::optional<WindowPlacement> WindowStateSaver::Restore(const WindowRect& workArea) const {
  const std::optional<WindowPlacement> saved = ReadSaved();
  if (!saved) return std::nullopt;
  return NormalisePlacement(*saved, workArea);
}

std::optional<WindowPlacement> WindowStateSaver::ReadSaved() const {
  const auto flags = m_profile.GetProfileInt(m_section, kFlags);
  const auto showCmd = m_profile.GetProfileInt(m_section, kShowCmd);
  const auto left = m_profile.GetProfileInt(m_section, kLeft);
  const auto top = m_profile.GetProfileInt(m_section, kTop);
  const auto right = m_profile.GetProfileInt(m_section, kRight);
  const auto bottom = m_profile.GetProfileInt(m_section, kBottom);
  if (!flags || !showCmd || !left || !top || !right || !bottom) return std::nullopt;
  return WindowPlacement{*flags, *showCmd, {*left, *top, *right, *bottom}};
}

bool WindowStateSaver::SaveZoom(int percent) const {
  return m_profile.WriteProfileInt(m_section, kZoom, percent);
}

int WindowStateSaver::RestoreZoom() const {
  return ZoomSteps::Clamp(m_profile.GetProfileInt(m_section, kZoom).value_or(ZoomSteps::kNormal));
}
