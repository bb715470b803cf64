#include "sensors/bike_power_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/event_text.h"
#include "support/queue_capture.h"

namespace vel {
namespace {

using test::EventField;
using test::EventsWithHeader;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Payload = std::vector<std::uint8_t>;

Payload PowerOnly(std::uint16_t watts, std::uint8_t cadence, std::uint8_t events = 0) {
  return {0x10,
          events,
          0xFF,
          cadence,
          0,
          0,
          static_cast<std::uint8_t>(watts & 0xFF),
          static_cast<std::uint8_t>(watts >> 8)};
}
Payload Torque(std::uint8_t page, std::uint8_t events, std::uint16_t period, std::uint16_t torque,
               std::uint8_t cadence = 90) {
  return {page,
          events,
          events,
          cadence,
          static_cast<std::uint8_t>(period & 0xFF),
          static_cast<std::uint8_t>(period >> 8),
          static_cast<std::uint8_t>(torque & 0xFF),
          static_cast<std::uint8_t>(torque >> 8)};
}

class BikePowerTest : public ::testing::Test {
 protected:
  void Feed(CDisplay& d, const Payload& payload) {
    ASSERT_EQ(d.ProcessMessage(test::DataMessage(payload), 9), 1);
  }
  // Cadence values of the cadence events pushed since the last call.
  std::vector<int> Cadences() {
    std::vector<int> out;
    for (const auto& e : EventsWithHeader(queues.Events(), 3)) {
      out.push_back(static_cast<int>(*EventField(e, "cadence")));
    }
    return out;
  }
  // Lets the base settle with common pages, which publish nothing.
  void Settle(CBikePowerDisplay& d) {
    test::FeedUntilDecoded(d, {0x50, 0xFF, 0xFF, 1, 0x20, 0, 7, 0});
  }

  test::ManualTick tick{100};
  test::QueueCapture queues;
  CBikePowerDisplay meter{{.deviceNumber = 1, .graphIds = {0, 1}}};
};

TEST_F(BikePowerTest, PowerOnlyMeterPublishesEveryPowerPage) {
  Settle(meter);
  EXPECT_THAT(queues.Events(), IsEmpty());
  for (int i = 0; i < 3; ++i) {
    Feed(meter, PowerOnly(300, 0));
    EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kUnknown);
  }
  Feed(meter, PowerOnly(0x012C, 95));
  EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kPowerOnly);
  for (int i = 0; i < 20; ++i) Feed(meter, PowerOnly(250, 0));
  const auto events = queues.Events();
  ASSERT_EQ(events.size(), 48u);
  EXPECT_EQ(events[6],
            R"({"header":4,"uiid":0,"devicetype":11,"graphid":0,"power":300,"tick":100})");
  EXPECT_EQ(events[7],
            R"({"header":3,"uiid":0,"devicetype":11,"graphid":1,"cadence":95,"tick":100})");
  EXPECT_FALSE(meter.CrankStopped()) << "a power-only meter's cadence is never forced";
}

TEST_F(BikePowerTest, CrankTorqueMeterStopsCadenceAfterTwelveTorquePagesWithoutEvent) {
  Settle(meter);
  std::uint8_t events = 0;
  std::uint16_t period = 0;
  for (int i = 0; i < 3; ++i) {
    Feed(meter, Torque(0x12, ++events, period += 700, 0));
    Feed(meter, PowerOnly(200, 88));
  }
  EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kCrankTorque);
  EXPECT_THAT(Cadences(), ElementsAre(88, 88, 88));
  for (int i = 1; i <= 11; ++i) {
    Feed(meter, Torque(0x12, events, period, 0));
    Feed(meter, PowerOnly(200, 88));
  }
  EXPECT_THAT(Cadences(), testing::Each(88)) << "eleven torque pages without an event";
  Feed(meter, Torque(0x12, events, period, 0));
  Feed(meter, PowerOnly(200, 88));
  EXPECT_THAT(Cadences(), ElementsAre(0));
  EXPECT_TRUE(meter.CrankStopped());
  // A new crank event with a moving period lets the cadence through again.
  Feed(meter, Torque(0x12, ++events, period += 700, 0));
  Feed(meter, PowerOnly(200, 87));
  EXPECT_THAT(Cadences(), ElementsAre(87));
}

// Two riders' crank torque meters on one stick: each is compared only with
// its own previous torque page, so the one who stops pedalling shows 0 while
// the other's cadence goes on.
TEST_F(BikePowerTest, TwoTorqueMetersStayIndependent) {
  CBikePowerDisplay other({.deviceNumber = 2, .channelNumber = 1, .uiid = 1, .graphIds = {2, 3}});
  Settle(meter);
  Settle(other);
  std::uint8_t events = 0;
  std::uint16_t period = 0;
  Feed(meter, Torque(0x12, 40, 9000, 0));
  for (int i = 1; i <= 12; ++i) {
    Feed(other, Torque(0x12, ++events, period += 700, 0));
    Feed(other, PowerOnly(220, 91));
    Feed(meter, Torque(0x12, 40, 9000, 0));  // no new crank event
    Feed(meter, PowerOnly(0, 60));
  }
  EXPECT_TRUE(meter.CrankStopped());
  EXPECT_FALSE(other.CrankStopped());
  std::vector<int> mine;
  std::vector<int> theirs;
  for (const auto& e : EventsWithHeader(queues.Events(), 3)) {
    (*EventField(e, "uiid") == 0 ? mine : theirs)
        .push_back(static_cast<int>(*EventField(e, "cadence")));
  }
  EXPECT_EQ(mine.back(), 0);
  EXPECT_THAT(theirs, testing::Each(91));
}

// 0xFF is the power-only page's "no cadence": the panel gets no cadence,
// never 255 rpm, while power goes on.
TEST_F(BikePowerTest, CadenceNotAvailablePublishesNoCadence) {
  Settle(meter);
  Feed(meter, PowerOnly(240, 0xFF));
  Feed(meter, PowerOnly(250, 0xFF));
  const auto events = queues.Events();
  EXPECT_THAT(EventsWithHeader(events, 3), IsEmpty());
  EXPECT_EQ(EventsWithHeader(events, 4).size(), 2u);
  Feed(meter, PowerOnly(250, 84));
  EXPECT_THAT(Cadences(), ElementsAre(84));
}

TEST_F(BikePowerTest, CrankEventWithoutPeriodChangeIsAStoppedCrank) {
  Settle(meter);
  Feed(meter, Torque(0x12, 1, 500, 0));
  Feed(meter, Torque(0x12, 2, 500, 0));
  Feed(meter, PowerOnly(150, 70));
  EXPECT_THAT(Cadences(), ElementsAre(0));
}

TEST_F(BikePowerTest, WheelTorqueMeterCoastingShowsZeroCadence) {
  Settle(meter);
  Feed(meter, Torque(0x11, 1, 1000, 100));
  Feed(meter, Torque(0x11, 2, 2000, 160));
  Feed(meter, PowerOnly(180, 85));
  EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kWheelTorque);
  EXPECT_THAT(Cadences(), ElementsAre(85));
  Feed(meter, Torque(0x11, 3, 3000, 160));  // the wheel turns, no torque
  Feed(meter, PowerOnly(0, 85));
  EXPECT_THAT(Cadences(), ElementsAre(0));
  // Without new events a wheel torque meter is never called stopped by count.
  Feed(meter, Torque(0x11, 4, 4000, 220));
  for (int i = 0; i < 14; ++i) Feed(meter, Torque(0x11, 4, 4000, 220));
  Feed(meter, PowerOnly(100, 60));
  EXPECT_THAT(Cadences(), ElementsAre(60));
}

TEST_F(BikePowerTest, QuietTorqueMeterFallsBackAtTheSecondPowerPage) {
  Settle(meter);
  Feed(meter, Torque(0x12, 1, 500, 0));
  Feed(meter, Torque(0x12, 2, 500, 0));  // crank stopped
  Feed(meter, PowerOnly(150, 70));
  EXPECT_THAT(Cadences(), ElementsAre(0));
  Feed(meter, PowerOnly(150, 71));
  EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kUnknown);
  EXPECT_FALSE(meter.CrankStopped());
  EXPECT_THAT(Cadences(), ElementsAre(71));
  Feed(meter, PowerOnly(150, 72));
  Feed(meter, PowerOnly(150, 73));
  Feed(meter, PowerOnly(150, 74));
  EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kUnknown);
  Feed(meter, PowerOnly(150, 75));
  EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kPowerOnly)
      << "four power pages counted afresh after the fall-back";
}

TEST_F(BikePowerTest, CrankTorqueFrequencyIsRecognisedButPublishesNothing) {
  Settle(meter);
  Feed(meter, {0x20, 9, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
  EXPECT_EQ(meter.Pages().MeterKind(), PowerPages::kCrankTorqueFrequency);
  EXPECT_EQ(meter.Pages().CtfSlope(), 0x0102);
  EXPECT_EQ(meter.Pages().CtfTimeStamp(), 0x0304);
  EXPECT_EQ(meter.Pages().CtfTorqueTicksStamp(), 0x0506);
  EXPECT_THAT(queues.Events(), IsEmpty());
}

TEST_F(BikePowerTest, OtherPagesAreKeptAndOnlyTheBatteryIsPublishedOnceAChange) {
  Settle(meter);
  Feed(meter, {0x51, 0xFF, 0xFF, 12, 0x78, 0x56, 0x34, 0x12});
  Feed(meter, {0x52, 0xFF, 0xFF, 1, 2, 3, 0x80, 0x31});
  Feed(meter, {0x13, 5, 60, 61, 20, 21, 0xFF, 0xFF});
  Feed(meter, {0x02, 1, 0xFF, 0xFF, 2, 3, 4, 0xFF});
  Feed(meter, {0x01, 0xAC, 0, 0xFF, 0xFF, 0xFF, 0x34, 0x12});
  Feed(meter, {0x46, 0xFF, 0xFF, 0xFF, 0xFF, 0x50, 0xFF, 0x01});  // request page: ignored
  Feed(meter, {0x52, 0xFF, 0xFF, 1, 2, 3, 0x80, 0x31});           // the same status again
  Feed(meter, {0x52, 0xFF, 0xFF, 1, 2, 3, 0x80, 0x51});           // critical
  Feed(meter, {0x52, 0xFF, 0xFF, 1, 2, 3, 0x80, 0x71});           // "invalid": says nothing
  EXPECT_THAT(
      queues.Events(),
      testing::ElementsAre(HasSubstr(R"({"header":6,"uiid":0,"devicetype":11,"battery":3,)"),
                           HasSubstr(R"("battery":5,)")));
  EXPECT_EQ(meter.Common().HardwareRevision(), 1);
  EXPECT_EQ(meter.Common().ManufacturerId(), 0x20);
  EXPECT_EQ(meter.Common().ModelNumber(), 7);
  EXPECT_EQ(meter.Common().SoftwareRevision(), 12);
  EXPECT_EQ(meter.Common().SerialNumber(), 0x12345678u);
  EXPECT_EQ(meter.Common().CumulativeOperatingTime(), 0x030201u);
  EXPECT_EQ(meter.Pages().TorqueEffectiveness(1), 61);
  EXPECT_EQ(meter.Pages().PedalSmoothness(0), 20);
  EXPECT_EQ(meter.Pages().CrankParameter(2), 3);
  EXPECT_EQ(meter.Pages().CalibrationId(), 0xAC);
  EXPECT_EQ(meter.Pages().CalibrationData(), 0x1234);
}

TEST_F(BikePowerTest, CadenceGraphTakenAwayLeavesOnlyPower) {
  Settle(meter);
  meter.SetGraphId(1, -1);
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(R"({"uiid":0,"devicetype":11,"graphid":1,"header":3,"cadence":-1,"tick":100})"));
  Feed(meter, PowerOnly(210, 80));
  EXPECT_THAT(queues.Events(), ElementsAre(HasSubstr(R"("header":4)")));
  meter.SetGraphId(0, -1);
  EXPECT_THAT(queues.Events(), ElementsAre(HasSubstr(R"("graphid":0,"header":4,"power":-1)")));
  EXPECT_EQ(meter.GetGraphId(0), -1);
  EXPECT_EQ(meter.GetGraphId(5), -1);
}

TEST_F(BikePowerTest, FarewellRetractsPowerThenCadence) {
  { CBikePowerDisplay d({.deviceNumber = 1, .uiid = 6, .graphIds = {2, 3}}); }
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(R"({"header":4,"uiid":6,"devicetype":11,"graphid":2,"power":-1,"tick":100})",
                  R"({"header":3,"uiid":6,"devicetype":11,"graphid":3,"cadence":-1,"tick":100})"));
  {
    CBikePowerDisplay d({.deviceNumber = 1, .uiid = 6, .graphIds = {-1, -1}});
    Settle(d);
    Feed(d, PowerOnly(100, 50));
  }
  EXPECT_THAT(queues.Events(), IsEmpty());
}

}  // namespace
}  // namespace vel
