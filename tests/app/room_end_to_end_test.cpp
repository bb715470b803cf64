// The whole pipeline on simulated sticks: room -> sticks -> transports ->
// framers -> receive loops -> decoders -> event queue -> rider board, on a
// manual clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "ant/sim/simulated_stick.h"
#include "app/rider_board.h"
#include "support/board_rig.h"
#include "support/wait_until.h"

namespace vel {
namespace {

using ::testing::IsEmpty;

// Rider k (1 to 10) of the room with the sensors of its kind of bike, as
// the demo team has them: 1-4 combined sensor and power meter, 5-7 speed
// and cadence sensors, 8-10 speed sensor and power meter; all wear a strap.
std::string RoomMember(int k, const std::string& strapNumber = "") {
  using test::DeviceJson;
  const int nn = k;
  std::string devices =
      DeviceJson(k * 10 + 0, strapNumber.empty() ? 12000 + nn : std::stoi(strapNumber), 120);
  if (k <= 4) {
    devices +=
        "," + DeviceJson(k * 10 + 1, 12100 + nn, 121) + "," + DeviceJson(k * 10 + 2, 1100 + nn, 11);
  } else if (k <= 7) {
    devices += "," + DeviceJson(k * 10 + 1, 12300 + nn, 123) + "," +
               DeviceJson(k * 10 + 2, 12200 + nn, 122);
  } else {
    devices +=
        "," + DeviceJson(k * 10 + 1, 12300 + nn, 123) + "," + DeviceJson(k * 10 + 2, 1100 + nn, 11);
  }
  return R"({"id":)" + std::to_string(100 + k) + R"(,"name":"rider)" + (k < 10 ? "0" : "") +
         std::to_string(k) + R"(","device":[)" + devices +
         R"(],"bicycle":[{"id":1,"active":true,"name":"b","crank":2,"cassette":4,"tire":1}]})";
}

class RoomEndToEndTest : public ::testing::Test, protected test::SimulatedRoomRig {};

// The room's worn batteries (rider 4's strap and rider 9's speed sensor
// low, rider 2's power meter critical) reach their panels from the sensors'
// own pages; the others say nothing.
TEST_F(RoomEndToEndTest, WornBatteriesOfTheRoomShowOnTheirPanels) {
  LoadTeam({RoomMember(2), RoomMember(4), RoomMember(9)});
  OpenSticks(2);
  Seat(0, 102);
  Seat(1, 104);
  Seat(2, 109);
  const auto level = [&](int panel, SensorBox box) {
    return view.panels[static_cast<std::size_t>(panel)].battery[static_cast<std::size_t>(box)];
  };
  // A battery page comes in every fourth round of background pages, and
  // the power meter's every 121 messages: a minute and a half says all.
  Ride(90'000);
  EXPECT_EQ(level(0, SensorBox::kPower), BatteryLevel::kCritical);
  EXPECT_EQ(level(1, SensorBox::kHeartRate), BatteryLevel::kLow);
  EXPECT_EQ(level(2, SensorBox::kSpeed), BatteryLevel::kLow);
  EXPECT_EQ(level(0, SensorBox::kHeartRate), BatteryLevel::kOk);
  EXPECT_EQ(level(2, SensorBox::kPower), BatteryLevel::kOk);
  const auto logged = LogTexts();
  EXPECT_EQ(std::count_if(
                logged.begin(), logged.end(),
                [](const std::string& line) { return line.find("battery") != std::string::npos; }),
            3)
      << "each once";
}

TEST_F(RoomEndToEndTest, TenRidersWithAllTheirSensorsShowValuesOnEveryPanel) {
  std::vector<std::string> team;
  for (int k = 1; k <= 10; ++k) team.push_back(RoomMember(k));
  LoadTeam(team);
  OpenSticks(4);
  for (int k = 1; k <= 10; ++k) Seat(k - 1, 100 + k);
  EXPECT_THAT(messages.Texts(), IsEmpty());

  // Thirty channels: eight per stick, filled stick after stick.
  // Boxes are ticked speed, cadence, heart rate, power: rider 1's combined
  // sensor, strap and power meter take channels 0, 1, 2 of the first stick.
  EXPECT_EQ(board->Slot(0, 121).channel, 0);
  EXPECT_EQ(board->Slot(0, 120).channel, 1);
  EXPECT_EQ(board->Slot(0, 11).channel, 2);
  EXPECT_EQ(board->Slot(2, 121).receiver, 0);
  EXPECT_EQ(board->Slot(2, 121).channel, 6);
  EXPECT_EQ(board->Slot(2, 120).channel, 7);
  EXPECT_EQ(board->Slot(2, 11).receiver, 1) << "the ninth sensor goes to the second stick";
  EXPECT_EQ(board->Slot(2, 11).channel, 0);
  EXPECT_EQ(board->Slot(9, 120).receiver, 3);
  EXPECT_EQ(board->Slot(9, 120).channel, 5);

  Ride(45000);
  ASSERT_TRUE(WaitFor([&] {
    for (int p = 0; p < 10; ++p) {
      if (!Shows(p, PanelValue::kHeartRate) || !Shows(p, PanelValue::kSpeed) ||
          !Shows(p, PanelValue::kCadence)) {
        return false;
      }
    }
    return true;
  }));
  for (int p = 0; p < 10; ++p) {
    const int k = p + 1;
    EXPECT_EQ(Shows(p, PanelValue::kPower), k <= 4 || k >= 8) << "panel " << p;
    EXPECT_TRUE(Shows(p, PanelValue::kMaxHeartRate)) << "panel " << p;
    EXPECT_GT(std::stoi(board->Text(p, PanelValue::kMaxHeartRate)), 40) << "panel " << p;
    EXPECT_GT(std::stod(board->Text(p, PanelValue::kMaxSpeed)), 5.0) << "panel " << p;
  }
  // The combined sensors' cadence went to the power meters: one green series each.
  for (int p = 0; p < 4; ++p) EXPECT_EQ(view.SeriesOfColour(p, series_colour::kCadence).size(), 1u);
}

// The window opens while the sticks wait out their pauses after the reset:
// sensors ticked meanwhile wait and go on the sticks once they are up.
TEST_F(RoomEndToEndTest, RidersSeatedWhileTheSticksComeUpGetTheirSensorsOnceTheyAre) {
  LoadTeam({RoomMember(1), RoomMember(5)});
  ReceiverSettings settings = pipeline.Sticks(2);
  settings.resetWait = std::chrono::milliseconds(1000);
  board->OpenSticks(settings);
  ASSERT_EQ(board->Sticks().LiveCount(), 2u);
  EXPECT_EQ(board->Sticks().At(0).ChannelCount(), 0u) << "opening waits for no pause";
  Seat(0, 101);
  Seat(1, 105);
  EXPECT_TRUE(board->Slot(0, 121).Waiting());
  EXPECT_TRUE(board->Slot(1, 120).Waiting());
  EXPECT_THAT(messages.Texts(), IsEmpty()) << "nothing failed";

  test::ManualTick::Advance(1000);
  ASSERT_TRUE(test::WaitUntil([&] {
    board->DrainEvents();
    for (int panel : {0, 1}) {
      for (int type : {120, 121, 11, 123, 122}) {
        if (board->Slot(panel, type).Waiting()) return false;
      }
    }
    return true;
  }));
  Ride(5000);
  EXPECT_TRUE(
      WaitFor([&] { return Shows(0, PanelValue::kPower) && Shows(1, PanelValue::kCadence); }));
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kCadence).size(), 1u)
      << "the power meter draws the cadence, whichever of the two came up first";
}

TEST_F(RoomEndToEndTest, AChannelTheStickClosesIsAssignedAgainWhileTheBoxIsTicked) {
  room->SetSearchTimeoutMs(2000);
  LoadTeam({RoomMember(1, "12099")});  // a strap nobody wears
  OpenSticks(1);
  Seat(0, 101);
  Settle();  // the channel is open and searching from the start of the ride
  LogTexts();
  Ride(2500);
  std::vector<std::string> lines;
  ASSERT_TRUE(WaitFor([&] {
    for (auto& l : LogTexts()) lines.push_back(l);
    return std::count(lines.begin(), lines.end(), "Assigning Channel...") >= 1;
  }));
  const std::vector<std::string> order = {"Channel Closed", "Unassigning channel...",
                                          "Channel unassigned", "Assigning Channel..."};
  auto at = lines.begin();
  for (const auto& wanted : order) {
    at = std::find(at, lines.end(), wanted);
    ASSERT_NE(at, lines.end()) << wanted << " missing or out of order";
  }
  EXPECT_TRUE(board->BoxChecked(0, SensorBox::kHeartRate));
  EXPECT_FALSE(board->Slot(0, 120).Free()) << "back on a channel";
  EXPECT_THAT(messages.Texts(), IsEmpty()) << "re-registration is silent";
}

TEST_F(RoomEndToEndTest, UnpluggingAStickClearsItsRidersWhileTheOthersGoOn) {
  std::vector<std::string> team;
  for (int k = 1; k <= 10; ++k) {
    // Straps only: eight on the first stick, two on the second.
    team.push_back(R"({"id":)" + std::to_string(100 + k) + R"(,"name":"r)" +
                   std::to_string(k + 10) + R"(","device":[)" +
                   test::DeviceJson(k, 12000 + k, 120) + "]}");
  }
  LoadTeam(team);
  OpenSticks(2);
  for (int k = 1; k <= 10; ++k) Seat(k - 1, 100 + k);
  EXPECT_EQ(board->Slot(8, 120).receiver, 1);
  Ride(5000);
  ASSERT_TRUE(WaitFor([&] {
    for (int p = 0; p < 10; ++p) {
      if (!Shows(p, PanelValue::kHeartRate)) return false;
    }
    return true;
  }));

  room->Stick(1).Unplug();
  for (int second = 0; second < 20; ++second) {
    Ride(1000);
    if (second % 10 == 9) board->ClearStaleValues();  // the 10 s watchdog
  }
  board->DrainEvents();
  for (int p = 0; p < 8; ++p) EXPECT_TRUE(Shows(p, PanelValue::kHeartRate)) << "panel " << p;
  for (int p = 8; p < 10; ++p) {
    EXPECT_FALSE(Shows(p, PanelValue::kHeartRate)) << "panel " << p;
    EXPECT_TRUE(Shows(p, PanelValue::kMaxHeartRate)) << "the maximum stays";
  }
}

}  // namespace
}  // namespace vel
