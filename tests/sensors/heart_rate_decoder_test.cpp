#include "sensors/heart_rate_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/ant_frames.h"
#include "support/queue_capture.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string HrEvent(int bpm, int graph = 4, std::uint64_t tick = 5000) {
  return "{\"header\":0,\"uiid\":2,\"devicetype\":120,\"graphid\":" + std::to_string(graph) +
         ",\"bpm\":" + std::to_string(bpm) + ",\"tick\":" + std::to_string(tick) + "}";
}

class HeartRateTest : public ::testing::Test {
 protected:
  std::int32_t Data(CDisplay& d, std::uint8_t toggle, std::uint8_t bpm) {
    return d.ProcessMessage(
        test::Message(0x4E, {1, static_cast<std::uint8_t>(toggle << 7 | 4), 0, 0, 0, 0, 0, 0, bpm}),
        9);
  }
  test::ManualTick tick{5000};
  test::QueueCapture queues;
};

TEST_F(HeartRateTest, LegacyStrapIsSilentForFiveMessagesThenReportsEveryMessage) {
  CHRMDisplay hr({.deviceNumber = 3425, .channelNumber = 1, .uiid = 2, .graphIds = {4, -1}});
  for (int i = 0; i < 5; ++i) Data(hr, 0, 60);
  EXPECT_THAT(queues.Events(), IsEmpty());
  EXPECT_EQ(Data(hr, 0, 61), 1);
  EXPECT_EQ(Data(hr, 0, 61), 1) << "repeated values are sent again";
  EXPECT_EQ(Data(hr, 0, 0), 1);
  EXPECT_THAT(queues.Events(), ElementsAre(HrEvent(61), HrEvent(61), HrEvent(0)));
}

TEST_F(HeartRateTest, CurrentStrapReportsFromTheMessageThatFlipsTheToggle) {
  CHRMDisplay hr({.deviceNumber = 3425, .channelNumber = 1, .uiid = 2, .graphIds = {4, -1}});
  EXPECT_EQ(Data(hr, 0, 70), 0);
  tick.Set(6000);
  EXPECT_EQ(Data(hr, 1, 255), 1);
  EXPECT_THAT(queues.Events(), ElementsAre(HrEvent(255, 4, 6000)));
}

// Page 7's byte 3 says the battery (bits 4 to 6); only a strap with pages
// has it, and only a change is told.
TEST_F(HeartRateTest, ACurrentStrapsBatteryPageIsToldWhenItChanges) {
  CHRMDisplay hr({.deviceNumber = 3425, .channelNumber = 1, .uiid = 2, .graphIds = {4, -1}});
  Data(hr, 0, 70);
  Data(hr, 1, 70);
  (void)queues.Events();
  const auto page7 = [&](std::uint8_t status) {
    hr.ProcessMessage(
        test::Message(0x4E,
                      {1, 0x87, 15, 0x40, static_cast<std::uint8_t>(status << 4 | 2), 0, 0, 0, 71}),
        9);
  };
  page7(4);
  page7(4);
  page7(5);
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(R"({"header":6,"uiid":2,"devicetype":120,"battery":4,"tick":5000})", HrEvent(71),
                  HrEvent(71), testing::HasSubstr(R"("battery":5)"), HrEvent(71)));

  CHRMDisplay legacy({.deviceNumber = 3426, .channelNumber = 2, .uiid = 3, .graphIds = {5, -1}});
  for (int i = 0; i < 8; ++i) {
    legacy.ProcessMessage(test::Message(0x4E, {2, 0x07, 15, 0x40, 0x42, 0, 0, 0, 60}), 9);
  }
  for (const std::string& e : queues.Events())
    EXPECT_EQ(e.find("\"header\":6"), std::string::npos) << e;
}

TEST_F(HeartRateTest, FarewellRetractsTheValueEvenWithoutData) {
  { CHRMDisplay hr({.deviceNumber = 3425, .channelNumber = 1, .uiid = 2, .graphIds = {4, -1}}); }
  EXPECT_THAT(queues.Events(), ElementsAre(HrEvent(-1)));
}

TEST_F(HeartRateTest, NoGraphMeansNoEventsAtAllAndNoPanelNoFarewell) {
  {
    CHRMDisplay hr({.deviceNumber = 3425, .channelNumber = 1, .uiid = 2, .graphIds = {-1, -1}});
    Data(hr, 0, 70);
    EXPECT_EQ(Data(hr, 1, 70), 1) << "still decoded, just not shown";
  }
  { CHRMDisplay hr({.deviceNumber = 3425, .channelNumber = 1, .uiid = -1, .graphIds = {4, -1}}); }
  EXPECT_THAT(queues.Events(), IsEmpty());
}

TEST_F(HeartRateTest, GraphIdIsFixed) {
  CHRMDisplay hr({.deviceNumber = 3425, .channelNumber = 1, .uiid = 2, .graphIds = {4, -1}});
  hr.SetGraphId(0, 9);
  EXPECT_EQ(hr.GetGraphId(0), -1);
  EXPECT_EQ(hr.GetGraphId(1), -1);
  Data(hr, 0, 70);
  Data(hr, 1, 71);
  EXPECT_THAT(queues.Events(), ElementsAre(HrEvent(71)));
}

TEST_F(HeartRateTest, RecordedStrapYieldsItsHeartRates) {
  const auto payloads = test::ReadPayloadLines(test::CaptureFile("njcant_hrm1.txt"));
  ASSERT_EQ(payloads.size(), 2822u);
  {
    CHRMDisplay hr({.deviceNumber = 3425, .graphIds = {0, -1}});
    for (const auto& p : payloads) {
      AntMessage m;
      m.id = 0x4E;
      m.data[0] = 0;
      std::copy(p.begin(), p.end(), m.data.begin() + 1);
      hr.ProcessMessage(m, 9);
    }
    // This strap repeats each page about four times, so its toggle bit
    // holds for the first six messages and it is taken for a legacy strap;
    // its heart rate sits at the same place either way.
    EXPECT_EQ(hr.TransmitterKind(), CDisplay::kKindLegacy);
  }
  const auto events = queues.Events();
  ASSERT_EQ(events.size(), 2822u - 5u + 1u);
  int lo = 1000, hi = -1000;
  for (std::size_t i = 0; i + 1 < events.size(); ++i) {
    const auto at = events[i].find("\"bpm\":");
    const int bpm = std::stoi(events[i].substr(at + 6));
    lo = std::min(lo, bpm);
    hi = std::max(hi, bpm);
  }
  EXPECT_EQ(lo, 51);
  EXPECT_EQ(hi, 80);
  EXPECT_NE(events.back().find("\"bpm\":-1"), std::string::npos);
}

}  // namespace
}  // namespace vel
