#include "viewer/WindowPlacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// A saved value can be any 32-bit number; the arithmetic below is done in 64
// bits and brought back into the int range, so no value overflows.
int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

constexpr int kZoomSteps[] = {30, 50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};

}  // namespace

WindowPlacement NormalisePlacement(const WindowPlacement& saved, const WindowRect& workArea) {
  std::int64_t left = std::min(saved.normalPosition.left, saved.normalPosition.right);
  std::int64_t right = std::max(saved.normalPosition.left, saved.normalPosition.right);
  std::int64_t top = std::min(saved.normalPosition.top, saved.normalPosition.bottom);
  std::int64_t bottom = std::max(saved.normalPosition.top, saved.normalPosition.bottom);
  const std::int64_t areaWidth = std::max(0, workArea.Width());
  const std::int64_t areaHeight = std::max(0, workArea.Height());
  right = std::min(right, left + areaWidth);
  bottom = std::min(bottom, top + areaHeight);
  if (right > areaWidth) {
    left -= right - areaWidth;
    right = areaWidth;
  }
  if (bottom > areaHeight) {
    top -= bottom - areaHeight;
    bottom = areaHeight;
  }
  if (left < 0) {
    right -= left;
    left = 0;
  }
  if (top < 0) {
    bottom -= top;
    top = 0;
  }
  WindowPlacement placement = saved;
  placement.normalPosition = {ClampToInt(left), ClampToInt(top), ClampToInt(right),
                              ClampToInt(bottom)};
  // Minimized, or a state no window can usefully open in (hidden ...), opens restored.
  if (placement.showCmd != SW_SHOWMAXIMIZED) placement.showCmd = SW_SHOWNORMAL;
  return placement;
}

WindowPlacement PlacementWithoutPosition(const WindowPlacement& current,
                                         const std::optional<WindowPlacement>& saved) {
  WindowPlacement placement = current;
  const WindowRect& size = current.normalPosition;
  const int left = saved ? saved->normalPosition.left : 0;
  const int top = saved ? saved->normalPosition.top : 0;
  placement.normalPosition = {left, top, ClampToInt(std::int64_t{left} + size.Width()),
                              ClampToInt(std::int64_t{top} + size.Height())};
  return placement;
}

int ZoomSteps::In(int percent) {
  for (const int step : kZoomSteps)
    if (step > percent) return step;
  return kLargest;
}

int ZoomSteps::Out(int percent) {
  for (auto step = std::rbegin(kZoomSteps); step != std::rend(kZoomSteps); ++step)
    if (*step < percent) return *step;
  return kSmallest;
}

int ZoomSteps::Clamp(int percent) { return std::clamp(percent, kSmallest, kLargest); }
