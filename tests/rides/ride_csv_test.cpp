#include "rides/ride_csv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/time_zone.h"

namespace vel {
namespace {

TEST(RideCsvTest, ARowASampleOnTheStudiosClockWithGapsLeftEmpty) {
  const test::TimeZone seoul("KST-9");
  Ride ride;
  ride.startUtcMs = 1796792700250;  // 2026-12-09 14:05:00.25 in Seoul
  ride.spans = {{0, 63000}};
  RideSample full;
  full.heartRate = 120;
  full.speed = 30.26;
  full.cadence = 85;
  full.power = 200;
  full.distance = 1.234;
  full.frontTeeth = 50;
  full.rearTeeth = 17;
  RideSample gaps;
  gaps.offsetMs = 1000;
  gaps.speed = 30.34;
  gaps.cadence = 86;
  gaps.distance = 1.2449;
  RideSample standing;
  standing.offsetMs = 61999;
  standing.heartRate = 131;
  standing.speed = 0;
  standing.distance = 2;
  ride.samples = {full, gaps, standing};
  EXPECT_EQ(RideCsv(ride),
            "\xEF\xBB\xBF"
            "경과(초),시각,심박(bpm),속도(km/h),케이던스(rpm),파워(W),거리(km),앞 기어,뒤 기어\n"
            "0,2026-12-09 14:05:00,120,30.3,85,200,1.23,50,17\n"
            "1,2026-12-09 14:05:01,,30.3,86,,1.24,,\n"
            "61,2026-12-09 14:06:02,131,0.0,,,2.00,,\n");
}

TEST(RideCsvTest, ARideWithoutSamplesIsItsHeaderAlone) {
  EXPECT_EQ(RideCsv(Ride{}),
            "\xEF\xBB\xBF"
            "경과(초),시각,심박(bpm),속도(km/h),케이던스(rpm),파워(W),거리(km),앞 기어,뒤 기어\n");
}

}  // namespace
}  // namespace vel
