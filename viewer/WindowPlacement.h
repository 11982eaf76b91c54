// A window's placement as it is saved between runs: flags, show state and the
// rectangle of the window in its normal (restored) state, and the rules that
// bring a saved placement back onto the screen of this run.
#pragma once

#include <optional>

#include "platform/Shell.h"

// Show states; SW_SHOWNORMAL comes with the shell's "open", which takes one too.
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;

// Left, top, right and bottom edges; right and bottom lie just outside.
struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

struct WindowPlacement {
  int flags = 0;
  int showCmd = SW_SHOWNORMAL;
  WindowRect normalPosition;

  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// SAVED made fit for the desktop's WORKAREA: edges in order, the rectangle no
// larger than the work area, moved left and up to end inside it and right and
// down to start at or after 0 (work-area coordinates); a maximized window stays
// maximized, a minimized one (or any other state) opens restored.
WindowPlacement NormalisePlacement(const WindowPlacement& saved, const WindowRect& workArea);

// CURRENT as it is saved where a window can neither learn nor choose its
// position (on Wayland the compositor places windows): the size and show state
// of CURRENT at the position of SAVED, the placement saved before (0,0 without one).
WindowPlacement PlacementWithoutPosition(const WindowPlacement& current,
                                         const std::optional<WindowPlacement>& saved);

// The view's zoom in percent, in the steps browsers take.
class ZoomSteps {
 public:
  static constexpr int kNormal = 100;
  static constexpr int kSmallest = 30;
  static constexpr int kLargest = 300;

  // The next step above (below) PERCENT; the largest (smallest) step stays.
  static int In(int percent);
  static int Out(int percent);
  // PERCENT, a saved value, brought into the range of the steps.
  static int Clamp(int percent);
};
