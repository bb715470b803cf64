#include "sensors/bike_speed_cadence_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/event_text.h"
#include "support/queue_capture.h"

namespace vel {
namespace {

using test::EventField;
using test::EventsWithHeader;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<std::uint8_t> Combined(std::uint16_t crankR, std::uint16_t crankT, std::uint16_t wheelR,
                                   std::uint16_t wheelT) {
  auto lo = [](std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); };
  auto hi = [](std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); };
  return {lo(crankT), hi(crankT), lo(crankR), hi(crankR),
          lo(wheelT), hi(wheelT), lo(wheelR), hi(wheelR)};
}

class SpeedCadenceTest : public ::testing::Test {
 protected:
  void Feed(CDisplay& d, const std::vector<std::uint8_t>& payload) {
    ASSERT_EQ(d.ProcessMessage(test::DataMessage(payload), 9), 1);
  }
  test::ManualTick tick{100};
  test::QueueCapture queues;
};

TEST_F(SpeedCadenceTest, FirstMessageIsStillForBothHalves) {
  CBikeSpdCadDisplay d({.deviceNumber = 1, .graphIds = {0, 1}});
  test::FeedUntilDecoded(d, Combined(10, 0, 10, 0));
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(R"({"header":1,"uiid":0,"devicetype":121,"graphid":0,"speed":0.0,"tick":100})",
                  R"({"header":3,"uiid":0,"devicetype":121,"graphid":1,"cadence":0,"tick":100})"));
  Feed(d, Combined(11, 768, 12, 1024));
  const auto events = queues.Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_NEAR(*EventField(events[0], "speed"), 15.0912, 1e-4);
  EXPECT_NEAR(*EventField(events[1], "distance"), 0.004192, 1e-7);
  EXPECT_EQ(*EventField(events[2], "cadence"), 80);
}

TEST_F(SpeedCadenceTest, WheelRollsOver) {
  CBikeSpdCadDisplay d({.deviceNumber = 1, .graphIds = {0, 1}});
  test::FeedUntilDecoded(d, Combined(0, 0, 65534, 65000));
  Feed(d, Combined(0, 0, 2, 488));
  EXPECT_EQ(d.Wheel().TotalRevolutions(), 4u);
  EXPECT_NEAR(d.Speed(), 30.1824, 1e-4);
}

TEST_F(SpeedCadenceTest, FreewheelingDropsCadenceWhileSpeedGoesOn) {
  CBikeSpdCadDisplay d({.deviceNumber = 1, .graphIds = {0, 1}});
  test::FeedUntilDecoded(d, Combined(0, 0, 0, 0));
  Feed(d, Combined(1, 768, 2, 1024));  // crank counter back to zero
  std::uint16_t wheel = 2;
  std::uint16_t time = 1024;
  for (int i = 1; i <= 11; ++i) Feed(d, Combined(1, 768, wheel += 2, time += 1024));
  EXPECT_EQ(d.Cadence(), 80) << "eleven still crank messages keep the cadence";
  queues.Events();
  Feed(d, Combined(1, 768, wheel += 2, time += 1024));
  EXPECT_EQ(d.Cadence(), 0);
  EXPECT_TRUE(d.CadenceStopped());
  EXPECT_FALSE(d.SpeedStopped());
  const auto events = queues.Events();
  EXPECT_THAT(EventsWithHeader(events, 3), ElementsAre(HasSubstr(R"("cadence":0,)")));
  EXPECT_THAT(EventsWithHeader(events, 1), ElementsAre(HasSubstr(R"("speed":15.09)")));
  EXPECT_EQ(EventsWithHeader(events, 2).size(), 1u);
  EXPECT_NEAR(d.Distance(), 26 * 0.002096, 1e-6);
}

TEST_F(SpeedCadenceTest, CadenceGraphTakenAwayAndGivenBack) {
  CBikeSpdCadDisplay d({.deviceNumber = 1, .graphIds = {0, 5}});
  test::FeedUntilDecoded(d, Combined(0, 0, 0, 0));
  queues.Events();
  d.SetGraphId(1, -1);
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(R"({"uiid":0,"devicetype":121,"graphid":5,"header":3,"cadence":-1,"tick":100})"));
  EXPECT_EQ(d.GetGraphId(1), -1);
  Feed(d, Combined(1, 768, 1, 1024));
  auto events = queues.Events();
  EXPECT_THAT(EventsWithHeader(events, 3), IsEmpty());
  EXPECT_EQ(EventsWithHeader(events, 1).size(), 1u);

  d.SetGraphId(1, 6);
  Feed(d, Combined(2, 1536, 2, 2048));
  events = queues.Events();
  EXPECT_THAT(EventsWithHeader(events, 3), ElementsAre(HasSubstr(R"("graphid":6,"cadence":80)")));

  d.SetGraphId(2, -1);
  d.SetGraphId(-1, -1);
  EXPECT_THAT(queues.Events(), IsEmpty());
  EXPECT_EQ(d.GetGraphId(2), -1);
}

TEST_F(SpeedCadenceTest, DetachingPushesEvenWhenTheGraphIsAlreadyGone) {
  CBikeSpdCadDisplay d({.deviceNumber = 1, .graphIds = {3, -1}});
  d.SetGraphId(1, -1);
  d.SetGraphId(0, -1);
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(HasSubstr(R"("graphid":-1,"header":3,"cadence":-1)"),
                  R"({"uiid":0,"devicetype":121,"graphid":3,"header":1,"speed":-1,"tick":100})"));
}

TEST_F(SpeedCadenceTest, FarewellsFollowTheGraphsStillHeld) {
  { CBikeSpdCadDisplay d({.deviceNumber = 1, .uiid = 2, .graphIds = {0, 1}}); }
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(HasSubstr(R"("header":1,"uiid":2,"devicetype":121,"graphid":0,"speed":-1)"),
                  HasSubstr(R"("header":2,"uiid":2,"devicetype":121,"distance":-1)"),
                  HasSubstr(R"("header":3,"uiid":2,"devicetype":121,"graphid":1,"cadence":-1)")));
  { CBikeSpdCadDisplay d({.deviceNumber = 1, .uiid = 2, .graphIds = {0, -1}}); }
  EXPECT_EQ(queues.Events().size(), 2u);
  { CBikeSpdCadDisplay d({.deviceNumber = 1, .uiid = -1, .graphIds = {0, 1}}); }
  EXPECT_THAT(queues.Events(), IsEmpty());
}

TEST_F(SpeedCadenceTest, ZeroTimeStepAndZeroCircumferenceHoldTheirValues) {
  CBikeSpdCadDisplay d({.deviceNumber = 1, .graphIds = {0, 1}});
  test::FeedUntilDecoded(d, Combined(0, 0, 0, 0));
  Feed(d, Combined(1, 768, 2, 1024));
  Feed(d, Combined(2, 768, 4, 1024));  // both times stand still
  EXPECT_EQ(d.Cadence(), 80);
  EXPECT_NEAR(d.Speed(), 15.0912, 1e-4);

  CBikeSpdCadDisplay flat({.deviceNumber = 1, .graphIds = {0, 1}, .wheelCircumferenceM = 0.0f});
  test::FeedUntilDecoded(flat, Combined(0, 0, 0, 0));
  Feed(flat, Combined(1, 768, 2, 1024));
  EXPECT_EQ(flat.Speed(), 0.0);
  EXPECT_EQ(flat.Distance(), 0.0f);
}

// The user-interface thread moves the cadence graph on and off while the
// receive loop decodes: every event still belongs to the graph it names,
// speed is untouched, and the last move decides.
TEST_F(SpeedCadenceTest, GraphsChangeSafelyWhileMessagesAreDecoded) {
  CBikeSpdCadDisplay d({.deviceNumber = 1, .graphIds = {0, 1}});
  test::FeedUntilDecoded(d, Combined(0, 0, 0, 0));
  (void)queues.Events();
  std::atomic<bool> done{false};
  std::thread ui([&] {
    for (int i = 0; !done; ++i) d.SetGraphId(1, i % 2 ? 1 : -1);
  });
  constexpr std::uint16_t kMessages = 2000;
  for (std::uint16_t i = 1; i <= kMessages; ++i) {
    Feed(d,
         Combined(i, static_cast<std::uint16_t>(i * 768), i, static_cast<std::uint16_t>(i * 1024)));
  }
  done = true;
  ui.join();
  d.SetGraphId(1, 1);
  Feed(d, Combined(kMessages + 1, static_cast<std::uint16_t>((kMessages + 1) * 768), kMessages + 1,
                   static_cast<std::uint16_t>((kMessages + 1) * 1024)));

  const auto events = queues.Events();
  const auto speeds = EventsWithHeader(events, 1);
  ASSERT_EQ(speeds.size(), kMessages + 1u) << "speed goes on, one event a message";
  for (const auto& e : speeds) {
    EXPECT_EQ(EventField(e, "graphid"), 0.0) << e;
    EXPECT_NEAR(*EventField(e, "speed"), 7.5456, 1e-3) << e;  // a wheel turn a second
  }
  const auto cadences = EventsWithHeader(events, 3);
  ASSERT_FALSE(cadences.empty());
  for (const auto& e : cadences) {
    EXPECT_EQ(EventField(e, "graphid"), 1.0) << "a retraction names the graph it clears: " << e;
    const double cadence = *EventField(e, "cadence");
    EXPECT_TRUE(cadence == 80 || cadence == -1) << e;
  }
  EXPECT_EQ(EventField(cadences.back(), "cadence"), 80.0) << "the last move put the graph back";
  EXPECT_EQ(d.GetGraphId(1), 1);
}

}  // namespace
}  // namespace vel
