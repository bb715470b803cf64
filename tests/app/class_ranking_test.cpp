#include "app/class_ranking.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(ClassRankingTest, HighestFirstAndEqualValuesShareAPlace) {
  const auto ranked = Rank({{"a", 10}, {"b", 30}, {"c", 20}, {"d", 30}, {"e", 0}});
  std::vector<std::string> lines;
  for (const RankedRider& r : ranked) lines.push_back(std::to_string(r.place) + r.name);
  EXPECT_THAT(lines, testing::ElementsAre("1b", "1d", "3c", "4a", "5e"));
  EXPECT_EQ(ranked[0].index, 1u) << "which rider it was";

  ClassRide fast{1, "fast", {}};
  fast.summary.distanceKm = 12;
  fast.summary.kcal = 100;
  ClassRide strong{2, "strong", {}};
  strong.summary.distanceKm = 10;
  strong.summary.avgPower = 250;
  strong.summary.kcal = 300;
  strong.summary.heartRateZoneSeconds[4] = 600;  // ten minutes in zone 4: 40 points
  EXPECT_EQ(RankClass({fast, strong}, RankBy::kDistance)[0].name, "fast");
  EXPECT_EQ(RankClass({fast, strong}, RankBy::kCalories)[0].name, "strong");
  EXPECT_EQ(RankClass({fast, strong}, RankBy::kAveragePower)[1].value, 0) << "no power counts 0";
  EXPECT_EQ(RankClass({fast, strong}, RankBy::kZonePoints)[0].value, 40);
  EXPECT_EQ(RankValueText(12.345, RankBy::kDistance), "12.35 km");
}

}  // namespace
}  // namespace vel
