#include "app/graph_geometry.h"

#include <algorithm>

namespace vel {

using namespace graph_layout;

GraphPicture LayOutGraph(const SlotTable<GraphHistory>& series, int width, int height) {
  GraphPicture picture;
  picture.plotRight = std::max(picture.plotLeft, width - kRightMargin);
  picture.plotBottom = height - kBottomMargin;
  const int plotWidth = picture.plotRight - picture.plotLeft;

  struct Span {
    int visible;
    int start;
  };
  std::vector<Span> spans(series.Size(), Span{0, 0});
  int gridStart = 0;
  for (int i = 0; i < static_cast<int>(series.Size()); ++i) {
    const GraphHistory* history = series.Find(i);
    if (history == nullptr) continue;
    Span& span = spans[static_cast<std::size_t>(i)];
    span.visible = plotWidth;
    if (history->Count() < kSamplesPerPixel * plotWidth) {
      span.visible = history->Count() / kSamplesPerPixel;
    }
    // C++ remainder: negative while the ring has wrapped and the write
    // position is still left of the window's width; At() wraps it.
    span.start =
        (history->WritePosition() - kSamplesPerPixel * span.visible) % GraphHistory::kCapacity;
    gridStart = span.start;
  }

  for (int y = picture.plotBottom - 1; y >= picture.plotTop; y -= kGridStep) {
    picture.gridRows.push_back(y);
  }
  for (int x = picture.plotLeft + kGridStep - gridStart % kGridStep; x < picture.plotRight;
       x += kGridStep) {
    picture.gridColumns.push_back(x);
  }

  for (int i = 0; i < static_cast<int>(series.Size()); ++i) {
    const GraphHistory* history = series.Find(i);
    if (history == nullptr) continue;
    const Span span = spans[static_cast<std::size_t>(i)];
    GraphLine& line = picture.lines.emplace_back(GraphLine{history->Colour(), {}, std::nullopt});
    if (span.visible <= 0) continue;
    line.points.reserve(static_cast<std::size_t>(span.visible) + 1);
    line.points.push_back({picture.plotLeft, picture.plotBottom});
    int lastValue = 0;
    int lastY = 0;
    for (int c = 0; c < span.visible; ++c) {
      const int value = history->At(kSamplesPerPixel * c + span.start);
      const int y = std::max(picture.plotTop, picture.plotBottom - value / kYDivisor);
      line.points.push_back({picture.plotLeft + c, y});
      lastValue = value;
      lastY = y;
    }
    if (lastValue > 0) {
      line.label = GraphLabel{std::to_string(lastValue), {picture.plotLeft + span.visible, lastY}};
    }
  }
  return picture;
}

GraphUpdate PlanGraphUpdate(const SlotTable<GraphHistory>& series, const std::vector<int>& pushed,
                            int width) {
  const int plotWidth = std::max(0, width - kRightMargin);
  const int full = kSamplesPerPixel * plotWidth;
  int shift = 0;
  bool moving = false;
  bool growing = false;
  int growsFrom = plotWidth;
  for (int i = 0; i < static_cast<int>(series.Size()); ++i) {
    const GraphHistory* history = series.Find(i);
    if (history == nullptr) continue;
    const int taken =
        static_cast<std::size_t>(i) < pushed.size() ? pushed[static_cast<std::size_t>(i)] : 0;
    // A ring at its capacity counts as less than it held: the plan stays safe.
    const int before = history->Count() - taken;
    if (before >= full) {
      // Full before and after: it moved left by what it took.
      if (growing || (moving && taken != shift) || taken <= 0) return {};
      moving = true;
      shift = taken;
    } else if (history->Count() <= full) {
      // Not full yet: its line only grew to the right, where its label was.
      if (moving) return {};
      growing = true;
      if (taken > 0) growsFrom = std::min(growsFrom, before / kSamplesPerPixel);
    } else {
      return {};  // it filled the plot now: everything moved
    }
  }
  if (moving) {
    // Too far to be worth moving: the whole plot is new.
    if (shift % kSamplesPerPixel != 0 || shift / kSamplesPerPixel >= plotWidth / 2) return {};
    const int columns = shift / kSamplesPerPixel;
    // A column's line reaches one pixel left of it.
    return GraphUpdate{columns, std::max(0, plotWidth - columns - 1)};
  }
  // Growing, or nothing took a sample: what is left of the first new point
  // stays (a line from the corner rises at column 0, drawn whole).
  if (!growing || growsFrom <= 0) return {};
  return GraphUpdate{0, growsFrom - 1, true};
}

}  // namespace vel
