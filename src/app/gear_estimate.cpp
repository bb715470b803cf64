#include "app/gear_estimate.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace vel {

GearRatioTable::GearRatioTable() {
  for (int b = 0; b < kBlocks; ++b) {
    for (int f = 0; f < kFront; ++f) {
      for (int r = 0; r < kRear; ++r) {
        table_[b][f][r] = (f == 0 || r == 0) ? 0.0 : static_cast<double>(f) / r;
      }
    }
  }
}

double GearRatioTable::Ratio(int position, int frontTeeth, int rearTeeth) const {
  if (position < 1 || position > kBlocks || frontTeeth < 0 || frontTeeth >= kFront ||
      rearTeeth < 0 || rearTeeth >= kRear) {
    return 0.0;
  }
  return table_[position - 1][frontTeeth][rearTeeth];
}

std::optional<std::pair<int, int>> EstimateGear(const GearRatioTable& table, int position,
                                                const std::vector<int>& chainrings,
                                                const std::vector<int>& sprockets,
                                                double observedRatio) {
  // (ratio, front teeth, rear teeth), ordered by ratio; an entry equal to
  // ones already there goes after them.
  std::vector<std::tuple<double, int, int>> entries;
  for (int f : chainrings) {
    for (int r : sprockets) {
      const double ratio = table.Ratio(position, f, r);
      const auto at = std::upper_bound(
          entries.begin(), entries.end(), ratio,
          [](double v, const std::tuple<double, int, int>& e) { return v < std::get<0>(e); });
      entries.insert(at, {ratio, f, r});
    }
  }
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const auto& [ratio, f, r] = *it;
    if (!(ratio <= observedRatio)) continue;  // also passes over a ratio that is not a number
    const int front =
        static_cast<int>(std::find(chainrings.begin(), chainrings.end(), f) - chainrings.begin());
    const int rear =
        static_cast<int>(std::find(sprockets.begin(), sprockets.end(), r) - sprockets.begin());
    return std::make_pair(front, rear);
  }
  return std::nullopt;
}

double ObservedRatio(double speedKmh, double cadenceRpm, double circumferenceM) {
  return 1.0 / (cadenceRpm * circumferenceM * 60.0 / 1000.0 / speedKmh);
}

}  // namespace vel
