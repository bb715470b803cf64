#include "app/class_ranking.h"

#include <algorithm>
#include <numeric>

#include "common/string_printf.h"

namespace vel {

const char* RankByName(RankBy by) {
  switch (by) {
    case RankBy::kDistance: return "거리";
    case RankBy::kCalories: return "칼로리";
    case RankBy::kAveragePower: return "평균 파워";
    case RankBy::kZonePoints: return "심박 존 포인트";
  }
  return "";
}

double RankValue(const RideSummary& summary, RankBy by) {
  switch (by) {
    case RankBy::kDistance: return summary.distanceKm;
    case RankBy::kCalories: return summary.kcal.value_or(0);
    case RankBy::kAveragePower: return summary.avgPower.value_or(0);
    case RankBy::kZonePoints: return HeartRateZonePoints(summary);
  }
  return 0;
}

std::vector<RankedRider> Rank(const std::vector<std::pair<std::string, double>>& riders) {
  std::vector<std::size_t> order(riders.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return riders[a].second > riders[b].second;
  });
  std::vector<RankedRider> ranked;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto& [name, value] = riders[order[i]];
    // A tie shares the place of the first of its value.
    const int place =
        i > 0 && value == ranked.back().value ? ranked.back().place : static_cast<int>(i) + 1;
    ranked.push_back({place, name, value, order[i]});
  }
  return ranked;
}

std::vector<RankedRider> RankClass(const std::vector<ClassRide>& rides, RankBy by) {
  std::vector<std::pair<std::string, double>> riders;
  for (const ClassRide& ride : rides)
    riders.emplace_back(ride.memberName, RankValue(ride.summary, by));
  return Rank(riders);
}

std::string RankValueText(double value, RankBy by) {
  switch (by) {
    case RankBy::kDistance: return StringPrintf("%.2f km", value);
    case RankBy::kCalories: return StringPrintf("%.0f kcal", value);
    case RankBy::kAveragePower: return StringPrintf("%.0f W", value);
    case RankBy::kZonePoints: return StringPrintf("%.0f pt", value);
  }
  return "";
}

}  // namespace vel
