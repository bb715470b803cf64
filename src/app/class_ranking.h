#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/panel_rides.h"

namespace vel {

// What the instructor ranks the class by.
enum class RankBy { kDistance, kCalories, kAveragePower, kZonePoints };
inline constexpr int kRankByCount = 4;
// The choices as the class screen offers them.
const char* RankByName(RankBy by);

// One line of a ranking: the place (equal values share one, and the next
// place skips: 1, 2, 2, 4), the rider and the value ranked by.
struct RankedRider {
  int place = 0;
  std::string name;
  double value = 0;
  std::size_t index = 0;  // of the rider in what was ranked
};

// A rider's figure by `by`: 0 when it has none (no power, no heart rate).
double RankValue(const RideSummary& summary, RankBy by);
// Highest first; equal values in the order given.
std::vector<RankedRider> Rank(const std::vector<std::pair<std::string, double>>& riders);
// The class's rides ranked.
std::vector<RankedRider> RankClass(const std::vector<ClassRide>& rides, RankBy by);
// The value as the ranking shows it: "12.34 km", "250 kcal", "180 W", "42 pt".
std::string RankValueText(double value, RankBy by);

}  // namespace vel
