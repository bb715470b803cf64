#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/graph_geometry.h"
#include "rides/ride.h"

namespace vel {

// A whole ride's graph as the history window draws it: speed, cadence,
// heart rate and power over the ride's time, in the panels' colours, on
// one scale from 0; a gap in a value breaks its line.
struct RideGraphPicture {
  struct Line {
    std::uint32_t colour;  // 0x00BBGGRR
    // One polyline a stretch without a gap.
    std::vector<std::vector<GraphPoint>> runs;
  };
  struct Label {
    std::string text;
    int at;  // x of a time mark, y of a value mark
  };
  int plotLeft = 0;
  int plotTop = 0;
  int plotRight = 0;              // first pixel right of the plot
  int plotBottom = 0;             // first pixel below it
  std::vector<Label> timeMarks;   // vertical grid lines, with the time below
  std::vector<Label> valueMarks;  // horizontal grid lines, with the value left
  std::vector<Line> lines;        // speed, cadence, heart rate, power, in this order
};

RideGraphPicture LayOutRideGraph(const Ride& ride, int width, int height);

}  // namespace vel
