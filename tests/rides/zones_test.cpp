#include "rides/zones.h"

#include <gtest/gtest.h>

#include "rides/rider_settings.h"

namespace vel {
namespace {

TEST(ZonesTest, AValueOnAnEdgeTakesTheZoneItsTableSays) {
  // Heart rate: a zone begins on its lower edge (of a maximum of 200).
  const std::pair<int, int> heart[] = {{99, 0},  {100, 1}, {119, 1}, {120, 2}, {139, 2},
                                       {140, 3}, {160, 4}, {179, 4}, {180, 5}, {230, 5}};
  for (const auto& [bpm, zone] : heart) EXPECT_EQ(HeartRateZone(bpm, 200)->zone, zone) << bpm;
  EXPECT_DOUBLE_EQ(HeartRateZone(150, 200)->percent, 75.0);
  // Power: a zone ends on its upper edge (of an FTP of 200).
  const std::pair<int, int> power[] = {{0, 1},   {110, 1}, {111, 2}, {150, 2}, {151, 3},
                                       {180, 3}, {181, 4}, {210, 4}, {211, 5}, {240, 5},
                                       {241, 6}, {300, 6}, {301, 7}};
  for (const auto& [watts, zone] : power) EXPECT_EQ(PowerZone(watts, 200)->zone, zone) << watts;
  EXPECT_FALSE(HeartRateZone(150, std::nullopt)) << "no maximum, no zone";
  EXPECT_FALSE(PowerZone(150, 0));
  EXPECT_EQ(HeartRateZoneOf(0).colour, kNoZoneColour) << "zone 0 has no colour";
}

TEST(ZonesTest, WithoutAMaximumTheYearOfBirthGivesTanakasEstimate) {
  const RiderSettings own{185, 250, 1990};
  EXPECT_EQ(EffectiveMaxHeartRate(own, 2026)->bpm, 185);
  EXPECT_FALSE(EffectiveMaxHeartRate(own, 2026)->estimated);
  // 208 - 0.7 x 36 = 182.8
  const auto estimate = EffectiveMaxHeartRate({std::nullopt, 250, 1990}, 2026);
  EXPECT_EQ(estimate->bpm, 183);
  EXPECT_TRUE(estimate->estimated);
  EXPECT_FALSE(EffectiveMaxHeartRate({std::nullopt, 250, std::nullopt}, 2026));
  EXPECT_EQ(AgeIn(own, 2026), 36);

  EXPECT_EQ(RefusedRiderSettings(own, 2026), "");
  EXPECT_NE(RefusedRiderSettings({99, {}, {}}, 2026), "");
  EXPECT_NE(RefusedRiderSettings({{}, 5000, {}}, 2026), "");
  EXPECT_NE(RefusedRiderSettings({{}, {}, 2027}, 2026), "") << "not born yet";
}

}  // namespace
}  // namespace vel
