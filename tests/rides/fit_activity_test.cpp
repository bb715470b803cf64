#include "rides/fit_activity.h"

#include <cpprest/json.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/fit_oracle.h"
#include "support/scratch_folder.h"
#include "support/time_zone.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::DoubleNear;
using web::json::value;

constexpr std::int64_t kStartUtcMs = 1796792700250;  // 2026-12-09 05:05:00.25 UTC
constexpr std::int64_t kStartUtcSeconds = kStartUtcMs / 1000;

class FitActivityFileTest : public ::testing::Test {
 protected:
  // The file of `ride` as the SDK decodes it, after its header, CRC and
  // the messages every activity has passed.
  void Decode(const Ride& ride, const RideSummary& summary, value& decoded) {
    const std::vector<std::uint8_t> bytes = FitActivityFile(ride, summary);
    const fs::path file = dir_ / "ride.fit";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(test::DecodeFit(file, decoded));
    ASSERT_TRUE(decoded.at("isFIT").as_bool());
    ASSERT_TRUE(decoded.at("integrity").as_bool());
    ASSERT_EQ(decoded.at("errors").serialize(), "[]");
    EXPECT_TRUE(decoded.at("timeOrdered").as_bool());
    EXPECT_EQ(decoded.at("fileType").as_string(), "activity");
    EXPECT_EQ(decoded.at("sport").as_string(), "cycling");
    EXPECT_EQ(decoded.at("subSport").as_string(), "indoorCycling");
    EXPECT_EQ(decoded.at("laps").as_integer(), 1);
    EXPECT_EQ(decoded.at("sessions").as_integer(), 1);
    EXPECT_EQ(decoded.at("activity").at("numSessions").as_integer(), 1);
  }

  test::ScratchFolder dir_;
};

std::string Events(const value& decoded) {
  std::string events;
  for (const value& event : decoded.at("events").as_array()) {
    events += event.at("eventType").as_string() + "@" +
              std::to_string(event.at("time").as_number().to_int64() - kStartUtcSeconds) + " ";
  }
  return events;
}

int Count(const value& decoded, const char* field) {
  const value& fields = decoded.at("recordFields");
  return fields.has_field(field) ? fields.at(field).at("count").as_integer() : 0;
}

double Max(const value& decoded, const char* field) {
  return decoded.at("recordFields").at(field).at("max").as_double();
}

// Twenty seconds of riding in two spans of ten with a pause of five, the
// heart rate strap slipping thrice, the power meter late to wake in each
// span and speed lost for a second.
Ride PausedRide() {
  Ride ride;
  ride.id = 17;
  ride.memberName = "라이더1";
  ride.startUtcMs = kStartUtcMs;
  ride.spans = {{0, 10000}, {15000, 25000}};
  double distance = 0;
  for (const int second : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}) {
    RideSample sample;
    sample.offsetMs = second * 1000;
    if (second != 3 && second != 4 && second != 17) sample.heartRate = 130 + second;
    if (second >= 2 && (second < 15 || second > 18)) sample.power = 150 + 10 * second;
    if (second != 22) sample.speed = 30 + 0.1 * second;
    sample.cadence = 80 + second;
    distance += 0.0086;
    sample.distance = distance;
    sample.frontTeeth = 50;
    sample.rearTeeth = 17;
    ride.samples.push_back(sample);
  }
  return ride;
}

RideSummary PausedRideSummary() {
  RideSummary summary;
  summary.startUtcMs = kStartUtcMs;
  summary.ridingSeconds = 20;
  summary.elapsedSeconds = 25;
  summary.distanceKm = 0.172;
  summary.avgSpeed = 31.27;
  summary.maxSpeed = 32.4;
  summary.avgCadence = 92.35;
  summary.maxCadence = 104;
  summary.avgHeartRate = 141.5;
  summary.maxHeartRate = 154;
  summary.avgPower = 262.4;
  summary.maxPower = 390;
  summary.normalizedPower = 271.7;
  summary.workKj = 3.674;
  summary.kcal = 3.674;
  summary.caloriesFrom = RideSummary::CaloriesFrom::kPower;
  summary.hasHeartRateZones = true;
  summary.heartRateZoneSeconds = {0, 0, 3, 10, 4, 0};
  summary.hasPowerZones = true;
  summary.powerZoneSeconds = {1, 2, 3, 4, 2, 1, 1};
  return summary;
}

TEST_F(FitActivityFileTest, APausedRideReadsBackWithItsGapsLeftOutAndTheSummarysFigures) {
  const test::TimeZone seoul("KST-9");
  const RideSummary summary = PausedRideSummary();
  value decoded;
  ASSERT_NO_FATAL_FAILURE(Decode(PausedRide(), summary, decoded));

  EXPECT_EQ(decoded.at("records").as_integer(), 20);
  EXPECT_EQ(Count(decoded, "heartRate"), 17);
  EXPECT_EQ(Count(decoded, "power"), 14);
  EXPECT_EQ(Count(decoded, "speed"), 19);
  EXPECT_EQ(Count(decoded, "cadence"), 20);
  EXPECT_EQ(Count(decoded, "distance"), 20);
  EXPECT_EQ(Max(decoded, "heartRate"), 154);
  EXPECT_EQ(Max(decoded, "power"), 390);
  EXPECT_THAT(Max(decoded, "speed"), DoubleNear(32.4 / 3.6, 0.0005));
  EXPECT_THAT(Max(decoded, "distance"), DoubleNear(172, 0.005));
  EXPECT_EQ(Events(decoded), "start@0 stopAll@10 start@15 stopAll@25 ");

  const value& session = decoded.at("session");
  const auto near = [&](const char* field, double expected, double halfStep) {
    ASSERT_TRUE(session.has_field(field)) << field;
    EXPECT_THAT(session.at(field).as_double(), DoubleNear(expected, halfStep + 1e-9)) << field;
  };
  EXPECT_EQ(session.at("startTime").as_number().to_int64(), kStartUtcSeconds);
  EXPECT_EQ(session.at("timestamp").as_number().to_int64(), kStartUtcSeconds + 25);
  near("totalTimerTime", summary.ridingSeconds, 0.0005);
  near("totalElapsedTime", summary.elapsedSeconds, 0.0005);
  near("totalDistance", summary.distanceKm * 1000, 0.005);
  near("avgSpeed", *summary.avgSpeed / 3.6, 0.0005);
  near("maxSpeed", *summary.maxSpeed / 3.6, 0.0005);
  near("avgCadence", *summary.avgCadence, 0.5);
  near("maxCadence", *summary.maxCadence, 0);
  near("avgHeartRate", *summary.avgHeartRate, 0.5);
  near("maxHeartRate", *summary.maxHeartRate, 0);
  near("avgPower", *summary.avgPower, 0.5);
  near("maxPower", *summary.maxPower, 0);
  near("normalizedPower", *summary.normalizedPower, 0.5);
  near("totalWork", *summary.workKj * 1000, 0.5);
  near("totalCalories", *summary.kcal, 0.5);
  near("firstLapIndex", 0, 0);
  near("numLaps", 1, 0);
  EXPECT_EQ(session.at("timeInHrZone").serialize(), "[0,0,3,10,4,0]");
  EXPECT_EQ(session.at("timeInPowerZone").serialize(), "[0,1,2,3,4,2,1,1]")
      << "below zone 1 first, as FIT counts";

  const value& activity = decoded.at("activity");
  EXPECT_EQ(activity.at("totalTimerTime").as_double(), 20);
  EXPECT_EQ(activity.at("localTimestamp").as_number().to_int64() -
                activity.at("timestamp").as_number().to_int64(),
            9 * 3600);
}

// Each of the 32 mixes of sensors the panel can have, twice: more layouts
// than FIT has local message types, so they must be redefined.
TEST_F(FitActivityFileTest, EveryMixOfSensorsReadsBack) {
  Ride ride;
  ride.startUtcMs = kStartUtcMs;
  ride.spans = {{0, 64000}};
  for (int second = 0; second < 64; ++second) {
    RideSample sample;
    sample.offsetMs = second * 1000;
    if (second & 1) sample.heartRate = 100 + second;
    if (second & 2) sample.cadence = 60 + second;
    if (second & 4) sample.speed = 20 + second;
    if (second & 8) sample.power = 100 + second;
    if (second & 16) sample.distance = second / 100.0;
    ride.samples.push_back(sample);
  }
  value decoded;
  ASSERT_NO_FATAL_FAILURE(Decode(ride, RideSummary{}, decoded));
  EXPECT_EQ(decoded.at("records").as_integer(), 64);
  for (const char* field : {"heartRate", "cadence", "speed", "power", "distance"}) {
    EXPECT_EQ(Count(decoded, field), 32) << field;
  }
  EXPECT_EQ(Max(decoded, "heartRate"), 163);
  EXPECT_EQ(Max(decoded, "power"), 163);
  EXPECT_EQ(Max(decoded, "distance"), 630);
}

// A sensor gone mad must not wrap round to a plausible figure or to the
// field's "invalid", which a reader would drop.
TEST_F(FitActivityFileTest, ValuesBeyondAFieldsRangeAreHeldAtItsEnds) {
  Ride ride;
  ride.startUtcMs = kStartUtcMs;
  ride.spans = {{0, 2000}};
  RideSample wild;
  wild.heartRate = 255;
  wild.cadence = 300;
  wild.speed = 1000;
  wild.power = 70000;
  wild.distance = -1;
  ride.samples = {wild};
  wild.offsetMs = 1000;
  wild.power = -5;
  ride.samples.push_back(wild);
  RideSummary summary;
  summary.maxSpeed = 1000;
  summary.maxHeartRate = 255;

  value decoded;
  ASSERT_NO_FATAL_FAILURE(Decode(ride, summary, decoded));
  EXPECT_EQ(Count(decoded, "heartRate"), 2);
  EXPECT_EQ(Max(decoded, "heartRate"), 254);
  EXPECT_EQ(Max(decoded, "cadence"), 254);
  EXPECT_EQ(Max(decoded, "speed"), 65.534);
  EXPECT_EQ(Count(decoded, "power"), 2);
  EXPECT_EQ(Max(decoded, "power"), 65534);
  EXPECT_EQ(decoded.at("recordFields").at("power").at("min").as_double(), 0);
  EXPECT_EQ(Max(decoded, "distance"), 0);
  EXPECT_EQ(decoded.at("session").at("maxSpeed").as_double(), 65.534);
  EXPECT_EQ(decoded.at("session").at("maxHeartRate").as_double(), 254);
}

// Started and ended before the first second was sampled: still a file a
// reader takes, with the timer's events and the summary.
TEST_F(FitActivityFileTest, ARideWithoutSamplesIsStillAnActivity) {
  Ride ride;
  ride.startUtcMs = kStartUtcMs;
  ride.spans = {{0, 800}};
  RideSummary summary;
  summary.ridingSeconds = 0.8;
  summary.elapsedSeconds = 0.8;

  value decoded;
  ASSERT_NO_FATAL_FAILURE(Decode(ride, summary, decoded));
  EXPECT_EQ(decoded.at("records").as_integer(), 0);
  EXPECT_EQ(Events(decoded), "start@0 stopAll@1 ");
  EXPECT_EQ(decoded.at("session").at("totalTimerTime").as_double(), 0.8);
  EXPECT_FALSE(decoded.at("session").has_field("avgHeartRate"));
  EXPECT_FALSE(decoded.at("session").has_field("totalCalories"));
}

}  // namespace
}  // namespace vel
