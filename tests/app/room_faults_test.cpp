// A room that survives its faults, on simulated sticks and a manual clock:
// sticks lost and found, a stick that resets, a release that comes late, a
// set-up step that never got its answer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "ant/sim/simulated_stick.h"
#include "app/rider_board.h"
#include "sensors/channel_decoder.h"
#include "support/board_rig.h"

namespace vel {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;

// Member 100 + k wears strap 12000 + k and nothing else.
std::string StrapRider(int k, int strap = 0) {
  return R"({"id":)" + std::to_string(100 + k) + R"(,"name":"r)" + std::to_string(k + 10) +
         R"(","device":[)" + test::DeviceJson(k, strap != 0 ? strap : 12000 + k, 120) + "]}";
}

class RoomFaultsTest : public ::testing::Test, protected test::SimulatedRoomRig {
 protected:
  // Ten riders with straps: eight on the first stick, two on the second.
  void SeatTenStraps(int sticks) {
    std::vector<std::string> team;
    for (int k = 1; k <= 10; ++k) team.push_back(StrapRider(k));
    LoadTeam(team);
    OpenSticks(sticks);
    for (int k = 1; k <= 10; ++k) Seat(k - 1, 100 + k);
    ASSERT_EQ(board->Slot(8, 120).receiver, 1);
    ASSERT_EQ(board->Slot(9, 120).receiver, 1);
  }
  bool AllShowHeartRate() {
    return WaitFor([&] {
      for (int p = 0; p < 10; ++p) {
        if (!Shows(p, PanelValue::kHeartRate)) return false;
      }
      return true;
    });
  }
  std::size_t HeartRateSamples(int panel) {
    std::size_t n = 0;
    for (int s : view.SeriesOfColour(panel, series_colour::kHeartRate)) {
      n += view.panels[static_cast<std::size_t>(panel)].series.Find(s)->samples.size();
    }
    return n;
  }
  // Rides on, with the 10 s watchdog, for `seconds`.
  void RideWithWatchdog(int seconds) {
    for (int second = 1; second <= seconds; ++second) {
      Ride(1000);
      if (second % 10 == 0) board->ClearStaleValues();
    }
    board->DrainEvents();
  }
};

TEST_F(RoomFaultsTest, ALostSticksRidersGoToFreeChannelsOfTheOthersAndRideOn) {
  SeatTenStraps(3);
  Ride(5000);
  ASSERT_TRUE(AllShowHeartRate());
  const std::string max9 = Text(9, PanelValue::kMaxHeartRate);
  LogTexts();

  Unplug(1);
  const auto lines = LogTexts();
  EXPECT_THAT(lines, Contains("USB device( 1 ) is gone: simulated stick 1"));
  EXPECT_THAT(lines, Contains("The heart rate sensor 12009 of rider panel 9 went to "
                              "USB device( 2 ), channel 0"));
  EXPECT_THAT(lines, Contains("The heart rate sensor 12010 of rider panel 10 went to "
                              "USB device( 2 ), channel 1"));
  EXPECT_EQ(board->Slot(8, 120).receiver, 2);
  EXPECT_EQ(board->Slot(9, 120).channel, 1);

  const std::size_t before = HeartRateSamples(9);
  RideWithWatchdog(20);
  for (int p = 0; p < 10; ++p) EXPECT_TRUE(Shows(p, PanelValue::kHeartRate)) << "panel " << p;
  EXPECT_GT(HeartRateSamples(9), before + 50) << "the same series goes on";
  EXPECT_EQ(view.SeriesOfColour(9, series_colour::kHeartRate).size(), 1u);
  EXPECT_GE(std::stoi(Text(9, PanelValue::kMaxHeartRate)), std::stoi(max9)) << "the maximum stays";
  EXPECT_EQ(view.panels[9].removedUnknownSeries, 0);
  EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(RoomFaultsTest, RidersWaitForAFreeChannelAndTakeTheirStickWhenItComesBack) {
  SeatTenStraps(2);
  Ride(5000);
  ASSERT_TRUE(AllShowHeartRate());
  LogTexts();

  Unplug(1);  // the first stick has no channel free
  EXPECT_THAT(LogTexts(), Contains("The heart rate sensor 12009 of rider panel 9 waits for a "
                                   "free channel"));
  EXPECT_TRUE(board->Slot(8, 120).Waiting());
  RideWithWatchdog(20);
  for (int p = 0; p < 8; ++p) EXPECT_TRUE(Shows(p, PanelValue::kHeartRate)) << "panel " << p;
  for (int p = 8; p < 10; ++p) {
    EXPECT_FALSE(Shows(p, PanelValue::kHeartRate)) << "panel " << p;
    EXPECT_TRUE(Shows(p, PanelValue::kMaxHeartRate)) << "the maximum stays";
    EXPECT_TRUE(board->BoxChecked(p, SensorBox::kHeartRate)) << "still wanted";
  }

  Replug(1);
  EXPECT_THAT(LogTexts(), Contains("USB device( 1 ) is back: simulated stick 1"));
  EXPECT_EQ(board->Slot(8, 120).receiver, 2) << "the stick back has a new receiver index";
  Ride(5000);
  ASSERT_TRUE(AllShowHeartRate()) << "without a click";
  EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(RoomFaultsTest, AStickPluggedInLaterTakesTheRidersThatWait) {
  room->Stick(2).Unplug();  // not there when the program starts
  SeatTenStraps(3);
  Ride(3000);
  Unplug(1);
  EXPECT_TRUE(board->Slot(9, 120).Waiting());
  LogTexts();

  Replug(2);
  const auto lines = LogTexts();
  EXPECT_THAT(lines, Contains("USB device( 2 ) found: simulated stick 2"));
  EXPECT_THAT(lines, Contains("The heart rate sensor 12010 of rider panel 10 went to "
                              "USB device( 2 ), channel 1"));
  Ride(5000);
  EXPECT_TRUE(AllShowHeartRate());
}

TEST_F(RoomFaultsTest, AStickThatResetsMidRideGetsItsChannelsBack) {
  LoadTeam({StrapRider(1), StrapRider(2), StrapRider(3)});
  OpenSticks(1);
  for (int k = 1; k <= 3; ++k) Seat(k - 1, 100 + k);
  Ride(5000);
  LogTexts();

  room->Stick(0).ResetItself();
  Ride(1000);
  auto lines = LogTexts();
  EXPECT_THAT(lines, Contains("USB device( 0 ) reset itself; setting it up again"));
  EXPECT_THAT(lines, Contains("Network key set."));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Chanel opened"), 3);
  for (int p = 0; p < 3; ++p) EXPECT_EQ(board->Slot(p, 120).channel, p);
  const std::size_t before = HeartRateSamples(2);
  RideWithWatchdog(10);
  for (int p = 0; p < 3; ++p) EXPECT_TRUE(Shows(p, PanelValue::kHeartRate)) << "panel " << p;
  EXPECT_GT(HeartRateSamples(2), before + 20);
}

// The issue of a quick member switch: the old member's channel is still
// closing when the new member's sensor takes the next one, and its release
// comes after. It must leave the new member's slot alone.
TEST_F(RoomFaultsTest, AReleaseThatComesLateLeavesTheNextMembersChannelAlone) {
  LoadTeam({StrapRider(1), StrapRider(2)});
  OpenSticks(1);
  Seat(0, 101);
  Ride(3000);
  Seat(0, 102);  // closes the strap of 101, opens the strap of 102
  EXPECT_EQ(board->Slot(0, 120).channel, 1);
  ASSERT_TRUE(WaitFor([&] {
    int decoders = 0;
    board->Sticks().At(0).ForEachDecoder([&](std::size_t, CDisplay&) { ++decoders; });
    return decoders == 1;
  })) << "the old channel was released";
  EXPECT_EQ(board->Slot(0, 120).channel, 1);
  EXPECT_TRUE(board->BoxChecked(0, SensorBox::kHeartRate));
  board->Sticks().At(0).ForEachDecoder([](std::size_t channel, CDisplay& d) {
    EXPECT_EQ(channel, 1u);
    EXPECT_EQ(d.DeviceNumber(), 12002);
  });
  Ride(3000);
  EXPECT_TRUE(Shows(0, PanelValue::kHeartRate));
  EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(RoomFaultsTest, ASetUpAnswerLostOnTheWayIsTakenUpWhenTheChannelStaysSilent) {
  LoadTeam({StrapRider(1)});
  OpenSticks(1);
  room->Stick(0).GarbleNextFrame();  // the answer to Assign Channel
  Seat(0, 101);
  Ride(30000);
  EXPECT_FALSE(Shows(0, PanelValue::kHeartRate)) << "the set-up stopped half way";
  LogTexts();
  Ride(AntReceiver::kQuietChannelMs);
  const auto lines = LogTexts();
  EXPECT_THAT(lines, Contains("STATUS: STATUS_ASSIGNED_CHANNEL"));
  EXPECT_THAT(lines, Contains("Channel unassigned"));
  EXPECT_THAT(lines, Contains("Chanel opened"));
  EXPECT_TRUE(Shows(0, PanelValue::kHeartRate));
  EXPECT_EQ(board->Slot(0, 120).channel, 0);
}

}  // namespace
}  // namespace vel
