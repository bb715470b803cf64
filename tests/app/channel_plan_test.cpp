#include "app/channel_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sensors/channel_decoder.h"
#include "support/board_rig.h"
#include "support/sensor_box_fixture.h"

namespace vel {
namespace {

using ::testing::ElementsAre;

class ChannelPlanTest : public test::SensorBoxFixture {};

TEST_F(ChannelPlanTest, PowerMeterTakesTheCadenceAndUntickingCadenceGivesItBack) {
  board->ClickSensorBox(0, SensorBox::kSpeed);
  board->ClickSensorBox(0, SensorBox::kPower);
  EXPECT_THAT(OpenTypes(), ElementsAre(121, 11));
  board->DrainEvents();
  // The combined sensor's cadence graph was taken away: one green series,
  // the power meter's.
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kCadence).size(), 1u);

  board->ClickSensorBox(0, SensorBox::kCadence);  // untick: the power meter closes
  EXPECT_FALSE(board->BoxChecked(0, SensorBox::kPower));
  EXPECT_TRUE(board->BoxChecked(0, SensorBox::kCadence)) << "ticked again for the combined sensor";
  EXPECT_TRUE(board->Slot(0, 11).Free());
  EXPECT_FALSE(board->Slot(0, 121).Free());
  EXPECT_THAT(LogTexts(), testing::Contains("Closing Channel..."));
  Release(1);
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kCadence).size(), 1u)
      << "the power meter's series went with it; the combined sensor draws again on the one "
         "it was given at the close, and the late release adds no second one";
}

TEST_F(ChannelPlanTest, ASecondStickIsUsedOnlyWhenTheFirstIsFullOrHasTheSensor) {
  AntReceiver& second = AddSyncStick();
  board->ClickSensorBox(0, SensorBox::kHeartRate);
  EXPECT_EQ(board->Slot(0, 120).receiver, 0);
  // The same sensor again on another panel: the first stick has it already.
  board->UseSensors(2, {DeviceRecord{9, true, 12001, 120}});
  board->ClickSensorBox(2, SensorBox::kHeartRate);
  EXPECT_EQ(board->Slot(2, 120).receiver, 1);
  EXPECT_EQ(board->Slot(2, 120).channel, 0);
  int onSecond = 0;
  second.ForEachDecoder([&](std::size_t, CDisplay&) { ++onSecond; });
  EXPECT_EQ(onSecond, 1);
}

TEST_F(ChannelPlanTest, ADeviceNumberBeyondSixteenBitsNeverReachesAStick) {
  board->UseSensors(2, {DeviceRecord{9, true, 65536 + 12001, 120}});
  LogTexts();
  board->ClickSensorBox(2, SensorBox::kHeartRate);
  EXPECT_THAT(OpenTypes(), testing::IsEmpty()) << "12001 is not opened in its place";
  EXPECT_THAT(LogTexts(), ElementsAre("Device number 77537 is outside 0 to 65535: the heart rate "
                                      "sensor is not registered"));
  EXPECT_THAT(messages.Texts(), ElementsAre("심박 센서 수신등록에 실패하였습니다."));
  EXPECT_FALSE(board->BoxChecked(2, SensorBox::kHeartRate));
}

}  // namespace
}  // namespace vel
