#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace vel {

// Ratios of front to rear teeth, f / r for f up to 53 and r up to 28 (row
// and column 0 hold 0), one block per chainring list position 1 to 3.
class GearRatioTable {
 public:
  static constexpr int kBlocks = 3;
  static constexpr int kFront = 54;
  static constexpr int kRear = 29;

  GearRatioTable();
  // The ratio for a chainring list position (1 to 3) and tooth counts; 0
  // outside the table.
  double Ratio(int position, int frontTeeth, int rearTeeth) const;

 private:
  double table_[kBlocks][kFront][kRear];
};

// The gear (front index, rear index) a rider is in: the largest ratio of
// the bicycle's chainrings and sprockets (both largest first) that is not
// above the observed ratio; among equal ratios the one met last, front by
// front and rear by rear, wins. None when every ratio is above it.
std::optional<std::pair<int, int>> EstimateGear(const GearRatioTable& table, int position,
                                                const std::vector<int>& chainrings,
                                                const std::vector<int>& sprockets,
                                                double observedRatio);

// The ratio a rider turns at `speedKmh` with `cadenceRpm` on a wheel of
// `circumferenceM`: wheel turns per crank turn.
double ObservedRatio(double speedKmh, double cadenceRpm, double circumferenceM);

}  // namespace vel
