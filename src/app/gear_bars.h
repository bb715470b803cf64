#pragma once

#include <vector>

#include "app/rider_panel_view.h"

namespace vel {

// One bar of a gear indicator; right and bottom are the first pixels
// outside it.
struct GearBar {
  int left;
  int top;
  int right;
  int bottom;
  bool highlighted;
  bool operator==(const GearBar&) const = default;
};

// The bars of a gear indicator of `width` x `height` pixels for `count`
// chainrings or sprockets (largest first), `selected` highlighted (-1:
// none). Bar i is 1/count of the width wide (integer division) and i/count
// of the height shorter than the first, standing on the bottom edge: the
// rear indicator starts at the left, the front indicator at the right, so
// the largest sits at the outer edge. No bars for a count of 0 or less;
// bars too small to have a pixel are left out.
std::vector<GearBar> LayOutGearBars(GearIndicator side, int count, int selected, int width,
                                    int height);

}  // namespace vel
