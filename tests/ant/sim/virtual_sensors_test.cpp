#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "ant/sim/room_table.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"

namespace vel::sim {
namespace {

// Every message one sensor of a fresh room sends over `seconds`.
std::vector<Payload> Messages(std::uint16_t number, std::uint8_t type, double seconds,
                              double fromSeconds = 0) {
  VirtualRoom room(std::make_shared<ManualSimClock>());
  const VirtualSensor* sensor = room.FindSensor(number, type, 0);
  EXPECT_NE(sensor, nullptr) << number;
  std::vector<Payload> out;
  if (sensor == nullptr) return out;
  const auto from = static_cast<std::uint64_t>(fromSeconds * kTicksPerSecond);
  const auto to = static_cast<std::uint64_t>((fromSeconds + seconds) * kTicksPerSecond);
  for (std::uint64_t t = from + sensor->Period(); t <= to; t += sensor->Period()) {
    Payload p;
    if (room.MessageAt(*sensor, t, p)) out.push_back(p);
  }
  return out;
}

std::uint16_t U16(const Payload& p, std::size_t at) {
  return static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8));
}

// Speed in km/h and cadence in rpm as the ANT+ profiles define them, from
// two messages' event time (1/1024 s) and revolution count at `at`.
struct Rate {
  bool moved;
  double perMinute;
};
Rate RevsPerMinute(const Payload& a, const Payload& b, std::size_t at) {
  const auto dT = static_cast<std::uint16_t>(U16(b, at) - U16(a, at));
  const auto dR = static_cast<std::uint16_t>(U16(b, at + 2) - U16(a, at + 2));
  if (dR == 0) return {false, 0};
  return {true, dR * 61440.0 / dT};
}

TEST(VirtualSensorsTest, ACurrentStrapTogglesEveryFourAndInterleavesBackgroundPages) {
  const auto messages = Messages(12001, 120, 120);
  ASSERT_GT(messages.size(), 480u);
  std::set<int> backgroundPages;
  for (std::size_t n = 0; n < messages.size(); ++n) {
    const Payload& p = messages[n];
    EXPECT_EQ(p[0] >> 7, static_cast<int>((n / 4) % 2)) << n;
    const int page = p[0] & 0x7F;
    if (n % 68 >= 64) {
      EXPECT_THAT(page, ::testing::AnyOf(1, 2, 3)) << n;
      backgroundPages.insert(page);
    } else {
      EXPECT_EQ(page, 4) << n;
      // Page 4 carries the previous beat, before the last one.
      const auto previous = static_cast<std::uint16_t>(U16(p, 2));
      const auto gap = static_cast<std::uint16_t>(U16(p, 4) - previous);
      if (p[6] > 1) {
        EXPECT_NEAR(gap, 60.0 / p[7] * 1024, 120) << n;
      }
    }
    EXPECT_GE(p[7], 45);
    EXPECT_LE(p[7], 200);
  }
  EXPECT_EQ(backgroundPages, (std::set<int>{1, 2, 3}));
  // Manufacturer and serial number (page 2), versions and model (page 3).
  const Payload& page2 = messages[64 + 68];
  EXPECT_EQ(page2[0] & 0x7F, 2);
  EXPECT_EQ(page2[1], 255);
  const Payload& page3 = messages[64 + 2 * 68];
  EXPECT_EQ(page3[0] & 0x7F, 3);
  EXPECT_EQ(page3[3], 120);
}

TEST(VirtualSensorsTest, ALegacyStrapNeverChangesItsFirstByte) {
  const auto messages = Messages(12003, 120, 60);
  ASSERT_GT(messages.size(), 200u);
  int beats = 0;
  for (std::size_t n = 1; n < messages.size(); ++n) {
    EXPECT_EQ(messages[n][0], messages[0][0]);
    beats += static_cast<std::uint8_t>(messages[n][6] - messages[n - 1][6]);
  }
  // A minute of a resting-to-warming-up heart.
  EXPECT_GT(beats, 50);
  EXPECT_LT(beats, 140);
}

TEST(VirtualSensorsTest, SpeedAndCadenceDecodeToWhatTheRiderDoesThroughRollovers) {
  // Five minutes: event times (1/1024 s) roll over every 64 s.
  const auto speed = Messages(12302, 123, 300);
  const auto cadence = Messages(12202, 122, 300);
  const double circumferenceM = RiderTraitsFor(2).wheelCircumferenceM;
  int moving = 0;
  for (std::size_t n = 1; n < speed.size(); ++n) {
    const Rate r = RevsPerMinute(speed[n - 1], speed[n], 4);
    if (!r.moved) continue;
    const double kmh = r.perMinute * circumferenceM * 60 / 1000;
    EXPECT_GT(kmh, 0) << n;
    EXPECT_LT(kmh, 70) << n;
    ++moving;
  }
  EXPECT_GT(moving, 1000);
  // The first revolution after a stop reads slow, as on a real crank; the
  // rest is pedalling.
  int pedalling = 0;
  int turning = 0;
  for (std::size_t n = 1; n < cadence.size(); ++n) {
    const Rate r = RevsPerMinute(cadence[n - 1], cadence[n], 4);
    if (!r.moved) continue;
    ++turning;
    EXPECT_LT(r.perMinute, 130) << n;
    pedalling += r.perMinute > 40;
  }
  EXPECT_GT(pedalling, turning * 95 / 100);
  // The speed sensor's toggle bit and background pages follow the strap's rhythm.
  EXPECT_EQ(speed[4][0] >> 7, 1);
  EXPECT_EQ(speed[64][0] & 0x7F, 1);
}

TEST(VirtualSensorsTest, RidersWarmUpRideIntervalsCoastAndStop) {
  // Rider 1 over 20 minutes on the combined sensor (crank then wheel).
  const auto messages = Messages(12101, 121, 1200);
  const double circumferenceM = RiderTraitsFor(1).wheelCircumferenceM;
  int coasting = 0;  // wheel turning, crank still
  int stopped = 0;   // nothing turning
  double fastest = 0;
  double slowestRolling = 1e9;
  for (std::size_t n = 13; n < messages.size(); ++n) {
    // Over about three seconds, as a display would judge it.
    const Rate crank = RevsPerMinute(messages[n - 12], messages[n], 0);
    const Rate wheel = RevsPerMinute(messages[n - 12], messages[n], 4);
    if (wheel.moved && !crank.moved) ++coasting;
    if (!wheel.moved && !crank.moved) ++stopped;
    if (wheel.moved) {
      const double kmh = wheel.perMinute * circumferenceM * 60 / 1000;
      fastest = std::max(fastest, kmh);
      slowestRolling = std::min(slowestRolling, kmh);
    }
  }
  EXPECT_GT(coasting, 20);
  EXPECT_GT(stopped, 40);
  EXPECT_GT(fastest, 30);
  EXPECT_LT(fastest, 60);
  EXPECT_LT(slowestRolling, 15);
}

TEST(VirtualSensorsTest, RidersAreDifferentPeople) {
  const auto a = Messages(12001, 120, 600);
  const auto b = Messages(12002, 120, 600);
  ASSERT_EQ(a.size(), b.size());
  int differ = 0;
  for (std::size_t n = 0; n < a.size(); ++n) differ += a[n][7] != b[n][7];
  EXPECT_GT(differ, static_cast<int>(a.size()) / 2);
}

TEST(VirtualSensorsTest, APowerOnlyMeterSendsPage16AndTheCommonPagesEvery121) {
  const auto messages = Messages(1101, 11, 300, 60);
  ASSERT_GT(messages.size(), 242u);
  const Payload* lastPower = nullptr;
  int powerPages = 0;
  int common = 0;
  for (const Payload& p : messages) {
    if (p[0] == 0x50 || p[0] == 0x51) {
      ++common;
      continue;
    }
    ASSERT_EQ(p[0], 0x10);
    ++powerPages;
    if (lastPower != nullptr) {
      EXPECT_EQ(static_cast<std::uint8_t>(p[1] - (*lastPower)[1]), 1);
      // Accumulated power grows by the instantaneous power of each event.
      EXPECT_EQ(static_cast<std::uint16_t>(U16(p, 4) - U16(*lastPower, 4)), U16(p, 6));
    }
    EXPECT_LT(U16(p, 6), 600);
    EXPECT_LE(p[3], 130);
    lastPower = &p;
  }
  EXPECT_GE(common, 4);
  EXPECT_EQ(common % 2, 0);
  EXPECT_GT(powerPages, 1000);
}

TEST(VirtualSensorsTest, ACrankTorqueMeterInterleavesTorquePagesThatAgreeWithItsPower) {
  const auto messages = Messages(1102, 11, 240, 120);
  const Payload* lastTorque = nullptr;
  std::uint16_t lastWatts = 0;
  int torquePages = 0;
  int compared = 0;
  int agreeing = 0;
  for (std::size_t n = 0; n < messages.size(); ++n) {
    const Payload& p = messages[n];
    if (p[0] == 0x10) lastWatts = U16(p, 6);
    if (p[0] != 0x12) continue;
    ++torquePages;
    if (lastTorque != nullptr && p[1] != (*lastTorque)[1]) {
      EXPECT_EQ(p[1], p[2]);  // one tick per event on a crank meter
      const auto dPeriod = static_cast<std::uint16_t>(U16(p, 4) - U16(*lastTorque, 4));
      const auto dTorque = static_cast<std::uint16_t>(U16(p, 6) - U16(*lastTorque, 6));
      ASSERT_GT(dPeriod, 0);
      ++compared;
      // Power from torque and period: 128 pi dTorque / dPeriod.
      const double watts = 128 * std::numbers::pi * dTorque / dPeriod;
      if (std::abs(watts - lastWatts) < 0.2 * lastWatts + 15) ++agreeing;
    }
    lastTorque = &p;
  }
  EXPECT_GT(torquePages, 400);
  EXPECT_GT(compared, 300);
  EXPECT_GT(agreeing, compared * 9 / 10);
}

}  // namespace
}  // namespace vel::sim
