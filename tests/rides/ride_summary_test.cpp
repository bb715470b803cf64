#include "rides/ride_summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

// Two minutes ridden in two spans with half a minute's pause between: a
// minute at 200 W, then a minute at 300 W; heart rate with a gap.
Ride MadeUpRide() {
  Ride ride;
  ride.startUtcMs = 1'765'000'000'000;
  ride.spans = {{0, 60'000}, {90'000, 150'000}};
  for (int i = 0; i < 120; ++i) {
    RideSample s;
    s.offsetMs = (i < 60 ? 0 : 30'000) + i * 1000;
    s.power = i < 60 ? 200 : 300;
    s.speed = i < 60 ? 30.0 : 36.0;
    s.cadence = 90;
    if (i < 100) s.heartRate = i < 50 ? 140 : 160;  // the strap lost for the last 20 s
    s.distance = 0.01 * (i + 1);
    ride.samples.push_back(s);
  }
  return ride;
}

TEST(RideSummaryTest, FiguresOfAMadeUpRideWorkedOutByHand) {
  const RideSummary summary = Summarise(MadeUpRide(), {});
  EXPECT_EQ(summary.ridingSeconds, 120);
  EXPECT_EQ(summary.elapsedSeconds, 150);
  EXPECT_DOUBLE_EQ(summary.distanceKm, 1.2);
  EXPECT_DOUBLE_EQ(*summary.avgSpeed, 33.0);
  EXPECT_EQ(summary.maxSpeed, 36.0);
  EXPECT_DOUBLE_EQ(*summary.avgHeartRate, 150.0) << "over the 100 samples that have it";
  EXPECT_EQ(summary.maxHeartRate, 160);
  EXPECT_DOUBLE_EQ(*summary.avgPower, 250.0);
  EXPECT_EQ(summary.maxPower, 300);
  // 91 rolling means: 31 of 200 W, 31 of 300 W and, between, 200 + 10k/3
  // for k = 1 to 29; the fourth root of the mean of their fourth powers.
  EXPECT_NEAR(*summary.normalizedPower, 261.029, 0.001);
  EXPECT_DOUBLE_EQ(*summary.workKj, 30.0);  // 60 s × 200 W + 60 s × 300 W
  EXPECT_DOUBLE_EQ(*summary.kcal, 30.0) << "a kcal for every kJ of work";
  EXPECT_EQ(summary.caloriesFrom, RideSummary::CaloriesFrom::kPower);
}

TEST(RideSummaryTest, WithoutPowerCaloriesComeFromHeartRateWhenTheRiderIsKnown) {
  Ride ride;
  ride.spans = {{0, 60'000}};
  for (int i = 0; i < 60; ++i) {
    RideSample s;
    s.offsetMs = i * 1000;
    s.heartRate = 150;
    ride.samples.push_back(s);
  }
  // A minute at 150 bpm: (-55.0969 + 0.6309·150 + 0.1988·70 + 0.2017·30) kJ
  // for a man of 70 kg and 30 years, (-20.4022 + 0.4472·150 - 0.1263·60 +
  // 0.074·30) kJ for a woman of 60 kg; 4.184 kJ a kcal.
  const RideSummary man = Summarise(ride, {70.0, 1, 30, {}, {}});
  EXPECT_EQ(man.caloriesFrom, RideSummary::CaloriesFrom::kHeartRate);
  EXPECT_NEAR(*man.kcal, 14.2221, 1e-4);
  EXPECT_NEAR(*Summarise(ride, {60.0, 2, 30, {}, {}}).kcal, 9.8757, 1e-4);
  EXPECT_FALSE(man.normalizedPower) << "fewer than 30 s of power: none at all";
  EXPECT_FALSE(man.workKj);

  for (const RiderBody unknown :
       {RiderBody{70.0, 1, std::nullopt, {}, {}}, RiderBody{std::nullopt, 1, 30, {}, {}},
        RiderBody{70.0, 0, 30, {}, {}}}) {
    const RideSummary none = Summarise(ride, unknown);
    EXPECT_FALSE(none.kcal);
    EXPECT_EQ(none.caloriesFrom, RideSummary::CaloriesFrom::kNone);
  }
  EXPECT_FALSE(Summarise(Ride{}, {70.0, 1, 30, {}, {}}).avgHeartRate) << "no samples, no figures";
}

TEST(RideSummaryTest, TimeInEachZoneWithTheRidersReferences) {
  // Heart rates 140 and 160 against a maximum of 200 (zones 3 and 4), a
  // minute at 200 W and one at 300 W against an FTP of 250 (zone 3, and
  // zone 5 on its upper edge of 120 %).
  const RideSummary summary =
      Summarise(MadeUpRide(), {std::nullopt, std::nullopt, std::nullopt, 200, 250});
  EXPECT_TRUE(summary.hasHeartRateZones);
  EXPECT_EQ(summary.heartRateZoneSeconds[3], 50);
  EXPECT_EQ(summary.heartRateZoneSeconds[4], 50);
  EXPECT_EQ(summary.powerZoneSeconds[2], 60);
  EXPECT_EQ(summary.powerZoneSeconds[4], 60);
  EXPECT_DOUBLE_EQ(HeartRateZonePoints(summary), (50 * 3 + 50 * 4) / 60.0);
  EXPECT_FALSE(Summarise(MadeUpRide(), {}).hasPowerZones);
}

}  // namespace
}  // namespace vel
