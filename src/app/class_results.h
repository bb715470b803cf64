#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/class_ranking.h"
#include "app/panel_rides.h"

namespace vel {

// The class summary as its picture shows it: a row a ride, in the order of
// the ranking, with the figures as texts and the zone times as shares.
struct ClassResultRow {
  int place = 0;
  std::string name;
  std::string ridingTime, distance, power, heartRate, kcal, ranked;
  // Of the riding time: heart rate zones 1 to 5, power zones 1 to 7; all
  // 0 without the rider's reference.
  std::array<double, kHeartRateZones> heartRateZoneShares{};
  std::array<double, kPowerZones> powerZoneShares{};
};

struct ClassResults {
  std::string title;  // "클래스 결과  2026-12-09 14:05"
  RankBy rankedBy = RankBy::kDistance;
  std::vector<ClassResultRow> rows;
};

inline constexpr int kClassResultColumns = 8;
extern const std::array<const char*, kClassResultColumns> kClassResultTitles;

// `endedUtcMs`: when the class ended, for its title and its file.
ClassResults MakeClassResults(const std::vector<ClassRide>& rides, RankBy by,
                              std::int64_t endedUtcMs);
// The picture's file: class-YYYYMMDD-hhmm.png (local time).
std::string ClassResultsFileName(std::int64_t endedUtcMs);

}  // namespace vel
