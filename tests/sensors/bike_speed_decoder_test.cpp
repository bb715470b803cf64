#include "sensors/bike_speed_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "support/event_text.h"
#include "support/queue_capture.h"

namespace vel {
namespace {

using test::EventField;
using test::EventHeaderOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A speed sensor payload: page byte, then event time and revolution count.
std::vector<std::uint8_t> Speed(std::uint16_t revolutions, std::uint16_t time,
                                std::uint8_t page = 0) {
  return {page,
          0,
          0,
          0,
          static_cast<std::uint8_t>(time & 0xFF),
          static_cast<std::uint8_t>(time >> 8),
          static_cast<std::uint8_t>(revolutions & 0xFF),
          static_cast<std::uint8_t>(revolutions >> 8)};
}

class BikeSpeedTest : public ::testing::Test {
 protected:
  void Feed(CDisplay& d, const std::vector<std::uint8_t>& payload) {
    ASSERT_EQ(d.ProcessMessage(test::DataMessage(payload), 9), 1);
  }
  test::ManualTick tick{100};
  test::QueueCapture queues;
};

TEST_F(BikeSpeedTest, FirstMessageIsStillThenWheelMovementGivesSpeedAndDistance) {
  CBikeSpeedDisplay speed({.deviceNumber = 1, .uiid = 2, .graphIds = {7, -1}});
  EXPECT_FLOAT_EQ(speed.WheelCircumferenceCm(), 209.6f);
  test::FeedUntilDecoded(speed, Speed(1000, 2000));
  auto events = queues.Events();
  ASSERT_EQ(events.size(), 1u) << "a speed event and no distance";
  EXPECT_EQ(events[0],
            R"({"header":1,"uiid":2,"devicetype":123,"graphid":7,"speed":0.0,"tick":100})");

  Feed(speed, Speed(1002, 3024));
  events = queues.Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(EventHeaderOf(events[0]), 1);
  EXPECT_NEAR(*EventField(events[0], "speed"), 15.0912, 1e-4);
  EXPECT_EQ(EventHeaderOf(events[1]), 2);
  EXPECT_NEAR(*EventField(events[1], "distance"), 0.004192, 1e-7);
  EXPECT_FALSE(EventField(events[1], "graphid"));
  EXPECT_EQ(speed.Wheel().TotalRevolutions(), 2u);
}

TEST_F(BikeSpeedTest, CountAndTimeRollOverBetweenMessages) {
  CBikeSpeedDisplay speed({.deviceNumber = 1, .graphIds = {0, -1}});
  test::FeedUntilDecoded(speed, Speed(65535, 65000));
  Feed(speed, Speed(1, 488));
  EXPECT_NEAR(speed.Speed(), 15.0912, 1e-4);
  EXPECT_EQ(speed.Wheel().TotalRevolutions(), 2u);
  EXPECT_EQ(speed.Wheel().TotalTime(), 1024u);
}

// Two riders side by side: one stops while the other rides on. The one
// who stopped falls to 0 on the twelfth of its own still messages, however
// much the other's wheel turns in between.
TEST_F(BikeSpeedTest, ARiderWhoStopsFallsToZeroWhileAnotherRidesOn) {
  CBikeSpeedDisplay a({.deviceNumber = 1, .graphIds = {0, -1}});
  CBikeSpeedDisplay b({.deviceNumber = 2, .channelNumber = 1, .uiid = 1, .graphIds = {1, -1}});
  test::FeedUntilDecoded(a, Speed(10, 0));
  test::FeedUntilDecoded(b, Speed(10, 0));
  Feed(a, Speed(12, 1024));
  std::uint16_t bCount = 10;
  std::uint16_t bTime = 0;
  for (int i = 1; i <= 11; ++i) {
    Feed(a, Speed(12, 1024));
    Feed(b, Speed(bCount += 2, bTime += 1024));
  }
  EXPECT_GT(a.Speed(), 0.0) << "the eleventh still repeats the old speed";
  queues.Events();
  Feed(a, Speed(12, 1024));
  EXPECT_EQ(a.Speed(), 0.0);
  EXPECT_TRUE(a.Stopped());
  EXPECT_THAT(queues.Events(), ElementsAre(testing::HasSubstr(R"("speed":0.0)")))
      << "the event of the twelfth already carries 0 and no distance follows";
  EXPECT_NEAR(b.Speed(), 15.0912, 1e-4) << "the other rider rides on";
  EXPECT_FALSE(b.Stopped());
  Feed(a, Speed(13, 1500));
  EXPECT_FALSE(a.Stopped());
}

TEST_F(BikeSpeedTest, ZeroCircumferenceLeavesSpeedAndDistanceAlone) {
  CBikeSpeedDisplay speed({.deviceNumber = 1, .graphIds = {0, -1}, .wheelCircumferenceM = 0.0f});
  test::FeedUntilDecoded(speed, Speed(0, 0));
  Feed(speed, Speed(5, 1024));
  EXPECT_EQ(speed.Speed(), 0.0);
  EXPECT_EQ(speed.Distance(), 0.0f);
  EXPECT_EQ(speed.Wheel().TotalRevolutions(), 5u);
  for (const auto& e : queues.Events()) EXPECT_EQ(EventHeaderOf(e), 1) << e;
}

TEST_F(BikeSpeedTest, CountMovingWithoutTimeNeverPublishesInfinity) {
  CBikeSpeedDisplay speed({.deviceNumber = 1, .graphIds = {0, -1}});
  test::FeedUntilDecoded(speed, Speed(0, 0));
  Feed(speed, Speed(2, 1024));
  const double before = speed.Speed();
  Feed(speed, Speed(4, 1024));  // dT = 0
  EXPECT_EQ(speed.Speed(), before) << "speed holds";
  EXPECT_NEAR(speed.Distance(), 4 * 209.6 / 100 / 1000, 1e-6) << "the revolutions still count";
  for (const auto& e : queues.Events()) {
    EXPECT_EQ(e.find("inf"), std::string::npos);
    EXPECT_EQ(e.find("nan"), std::string::npos);
  }
}

TEST_F(BikeSpeedTest, WithoutAGraphStateAdvancesButNothingIsPushed) {
  {
    CBikeSpeedDisplay speed({.deviceNumber = 1, .graphIds = {-1, -1}});
    test::FeedUntilDecoded(speed, Speed(0, 0));
    Feed(speed, Speed(2, 1024));
    EXPECT_GT(speed.Speed(), 0.0);
  }
  EXPECT_THAT(queues.Events(), IsEmpty());
}

TEST_F(BikeSpeedTest, FarewellRetractsSpeedThenDistance) {
  { CBikeSpeedDisplay speed({.deviceNumber = 1, .uiid = 4, .graphIds = {3, -1}}); }
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(R"({"header":1,"uiid":4,"devicetype":123,"graphid":3,"speed":-1,"tick":100})",
                  R"({"header":2,"uiid":4,"devicetype":123,"distance":-1,"tick":100})"));
  { CBikeSpeedDisplay speed({.deviceNumber = 1, .uiid = -1, .graphIds = {3, -1}}); }
  EXPECT_THAT(queues.Events(), IsEmpty());
}

TEST_F(BikeSpeedTest, BackgroundPagesAreReadOnlyOnceTheToggleHasMoved) {
  CBikeSpeedDisplay legacy({.deviceNumber = 1, .graphIds = {0, -1}});
  test::FeedUntilDecoded(legacy, Speed(0, 0, 2));
  Feed(legacy, {0x02, 77, 0x34, 0x12, 0, 4, 2, 0});
  EXPECT_EQ(legacy.Pages().ManufacturerId(), 0);
  EXPECT_GT(legacy.Speed(), 0.0) << "legacy sensors still measure";

  CBikeSpeedDisplay current({.deviceNumber = 1, .graphIds = {0, -1}});
  current.ProcessMessage(test::DataMessage({0x00, 0, 0, 0, 0, 0, 0, 0}), 9);
  Feed(current, {0x82, 77, 0x34, 0x12, 0, 4, 2, 0});  // first decoded: not yet read
  EXPECT_EQ(current.Pages().ManufacturerId(), 0);
  Feed(current, {0x03, 5, 6, 7, 0, 8, 4, 0});  // toggle moved: pages are read from here
  Feed(current, {0x82, 77, 0x34, 0x12, 0, 10, 5, 0});
  Feed(current, {0x01, 0x10, 0x20, 0x30, 0, 12, 6, 0});
  EXPECT_EQ(current.Pages().ToggleState(), ToggledPages::kToggling);
  EXPECT_EQ(current.Pages().ManufacturerId(), 77);
  EXPECT_EQ(current.Pages().SerialNumber(), 0x1234);
  EXPECT_EQ(current.Pages().HardwareVersion(), 5);
  EXPECT_EQ(current.Pages().SoftwareVersion(), 6);
  EXPECT_EQ(current.Pages().ModelNumber(), 7);
  EXPECT_EQ(current.Pages().CumulativeOperatingTime(), 0x302010u);
}

TEST(CircumferenceTest, MetresBecomeCentimetresWithTwoDecimals) {
  EXPECT_FLOAT_EQ(CircumferenceCm(2.096f), 209.6f);
  EXPECT_FLOAT_EQ(CircumferenceCm(2.0955f), 209.55f);
  EXPECT_FLOAT_EQ(CircumferenceCm(2.12345f), 212.35f);
  EXPECT_FLOAT_EQ(CircumferenceCm(0.0f), 0.0f);
}

}  // namespace
}  // namespace vel
