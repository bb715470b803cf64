#include "app/gear_bars.h"

namespace vel {

std::vector<GearBar> LayOutGearBars(GearIndicator side, int count, int selected, int width,
                                    int height) {
  std::vector<GearBar> bars;
  if (count <= 0) return bars;
  const int w = width / count;
  const int h = height / count;
  for (int i = 0; i < count; ++i) {
    GearBar bar{};
    if (side == GearIndicator::kRear) {
      bar.left = i * w;
      bar.right = (i + 1) * w;
    } else {
      bar.right = width - i * w;
      bar.left = width - (i + 1) * w;
    }
    bar.top = i * h;
    bar.bottom = height;
    bar.highlighted = i == selected;
    if (bar.right > bar.left && bar.bottom > bar.top) bars.push_back(bar);
  }
  return bars;
}

}  // namespace vel
