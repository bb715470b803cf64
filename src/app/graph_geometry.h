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

// How a graph drawn at its last repaint is brought up to date without
// drawing it whole:
// - every series was full then and has taken the same number of samples
//   since: the picture moved left by that many columns, grid included. The
//   plot's pixels are moved, and only the columns that moved in, the first
//   column (its line rises from the plot's corner) and the labels right of
//   the plot are drawn anew;
// - no series is full yet: the lines only grew to the right, and the picture
//   is drawn anew from where the first of them ended, its label included.
struct GraphUpdate {
  int shift = 0;       // columns the plot moved left
  int redrawFrom = 0;  // x from which the right part is drawn anew
  bool grown = false;  // the lines grew in place
  // Neither: draw it whole.
  bool Partial() const { return shift > 0 || grown; }
};

// `pushed[i]`: samples series i took since the last repaint (missing ones
// count as 0).
GraphUpdate PlanGraphUpdate(const SlotTable<GraphHistory>& series, const std::vector<int>& pushed,
                            int width);

}  // namespace vel
