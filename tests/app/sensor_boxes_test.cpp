#include "app/sensor_boxes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "sensors/channel_decoder.h"
#include "support/ant_frames.h"
#include "support/board_rig.h"
#include "support/sensor_box_fixture.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SensorBoxTest : public test::SensorBoxFixture {};

TEST_F(SensorBoxTest, SpeedPrefersTheCombinedSensorAndTicksCadenceWithIt) {
  board->ClickSensorBox(0, SensorBox::kSpeed);
  EXPECT_THAT(OpenTypes(), ElementsAre(121));
  EXPECT_TRUE(board->BoxChecked(0, SensorBox::kCadence));
  EXPECT_EQ(board->Slot(0, 121).channel, 0);
  EXPECT_TRUE(board->Slot(0, 123).Free());
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kSpeed).size(), 1u);
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kCadence).size(), 1u);
}

TEST_F(SensorBoxTest, ReleasedChannelOfATickedBoxIsAssignedAgainSilently) {
  board->ClickSensorBox(0, SensorBox::kHeartRate);
  LogTexts();
  Release(0);
  EXPECT_THAT(LogTexts(), ElementsAre("Channel unassigned", "Assigning Channel..."));
  EXPECT_EQ(board->Slot(0, 120).channel, 0);
  EXPECT_THAT(OpenTypes(), ElementsAre(120));

  board->ClickSensorBox(0, SensorBox::kHeartRate);  // untick: closed and not wanted back
  Release(0);
  EXPECT_THAT(OpenTypes(), IsEmpty());
  EXPECT_TRUE(board->Slot(0, 120).Free());
  EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(SensorBoxTest, FailedRegistrationsShowTheirMessageAndUntick) {
  // Every channel of the only stick taken.
  for (int i = 0; i < 8; ++i) {
    stick->PlaceDecoder([&](std::uint8_t c) {
      return MakeDecoder(
          120, DecoderSetup{.owner = stick, .deviceNumber = 1, .channelNumber = c, .uiid = 9});
    });
  }
  board->ClickSensorBox(0, SensorBox::kHeartRate);
  board->ClickSensorBox(0, SensorBox::kSpeed);
  board->ClickSensorBox(0, SensorBox::kPower);
  EXPECT_THAT(messages.Texts(), ElementsAre("심박 센서 수신등록에 실패하였습니다.",
                                            "콤보 센서 수신등록에 실패하였습니다.",
                                            "파워미터 센서 수신등록에 실패하였습니다."));
  for (auto box :
       {SensorBox::kSpeed, SensorBox::kCadence, SensorBox::kHeartRate, SensorBox::kPower}) {
    EXPECT_FALSE(board->BoxChecked(0, box));
  }
  EXPECT_TRUE(view.panels[0].series.Size() == 0 ||
              view.SeriesOfColour(0, series_colour::kSpeed).empty())
      << "reserved series are given back";
}

TEST_F(SensorBoxTest, LeavingTheMemberClosesItsSensors) {
  board->ClickSensorBox(0, SensorBox::kSpeed);
  board->ClickSensorBox(0, SensorBox::kHeartRate);
  board->SelectMember(0, 0);
  for (auto box : {SensorBox::kSpeed, SensorBox::kCadence, SensorBox::kHeartRate}) {
    EXPECT_FALSE(board->BoxChecked(0, box));
    EXPECT_FALSE(board->BoxEnabled(0, box));
  }
  EXPECT_TRUE(board->Slot(0, 121).Free());
  EXPECT_TRUE(board->Slot(0, 120).Free());
  const auto lines = LogTexts();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Closing Channel..."), 2);
}

}  // namespace
}  // namespace vel
