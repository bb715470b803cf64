#pragma once

#include <cstdint>

namespace vel {

// The rider panels' graphs, on which the channel plan reserves a series for
// every value a sensor draws.
class PanelGraphs {
 public:
  virtual ~PanelGraphs() = default;
  // The index of a new series of this colour (0x00BBGGRR) on a panel's graph.
  virtual int AddSeries(int panel, std::uint32_t colour) = 0;
  virtual void RemoveSeries(int panel, int series) = 0;
};

}  // namespace vel
