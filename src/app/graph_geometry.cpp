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

}  // namespace vel
