#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/graph_history.h"
#include "common/slot_table.h"

namespace vel {

// What a rider graph of a given size draws, in pixels of its client area:
// the widget only paints it.
namespace graph_layout {
inline constexpr int kRightMargin = 80;   // room for the labels right of the plot
inline constexpr int kBottomMargin = 40;  // below the plot
inline constexpr int kGridStep = 20;
inline constexpr int kSamplesPerPixel = 1;
inline constexpr int kYDivisor = 2;  // sample units per pixel of height
}  // namespace graph_layout

struct GraphPoint {
  int x;
  int y;
  bool operator==(const GraphPoint&) const = default;
};

// The latest value written at the end of a line, top-left at `at`.
struct GraphLabel {
  std::string text;
  GraphPoint at;
};

struct GraphLine {
  std::uint32_t colour;  // 0x00BBGGRR
  // A polyline from the plot's bottom-left corner through one point per
  // visible sample; empty when the series holds nothing.
  std::vector<GraphPoint> points;
  // Only when the last value drawn is above 0.
  std::optional<GraphLabel> label;
};

struct GraphPicture {
  // The plot area; right and bottom are the first pixels outside it.
  int plotLeft = 0;
  int plotTop = 0;
  int plotRight = 0;
  int plotBottom = 0;
  // Horizontal grid lines (y) run from plotLeft to plotRight - 1, vertical
  // ones (x) from plotTop to plotBottom - 1.
  std::vector<int> gridRows;
  std::vector<int> gridColumns;
  // One per series, in table order.
  std::vector<GraphLine> lines;
};

// Lays out a graph of `width` x `height` pixels showing `series`. The newest
// samples end at the right of the plot once they fill it; the vertical grid
// lines follow the ring position of the last series, so they move left as
// the history scrolls.
GraphPicture LayOutGraph(const SlotTable<GraphHistory>& series, int width, int height);

}  // namespace vel
