#include "app/rider_board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sensors/channel_decoder.h"
#include "sensors/sensor_kinds.h"
#include "common/tick_clock.h"
#include "sensors/sensor_event.h"
#include "support/ant_frames.h"
#include "support/fake_transport.h"
#include "support/queue_capture.h"
#include "support/recording_message_box.h"
#include "support/recording_panel_view.h"
#include "support/scripted_packet_sender.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A member with a 50/34 crank, the 12-25 eleven-speed cassette and the
// 700-23C tire, and the sensors given.
std::string Member(int id, const std::string& name, const std::string& devices,
                   const std::string& score = "null") {
  return R"({"id":)" + std::to_string(id) + R"(,"name":")" + name + R"(","device":)" + devices +
         R"(,"bicycle":[{"id":1,"active":true,"name":"road","crank":1,"cassette":1,"tire":1}],"score":)" +
         score + "}";
}

// A stick without a loop, driven message by message, whose transport
// answers every command at once.
struct SyncStick {
  SyncStick() {
    transport.SetResponder([this](const std::vector<std::uint8_t>& w) {
      if (w[2] != ant_id::kRequestMessage) test::FeedBytes(framer, test::Frame(0x40, {w[3], w[2], 0}));
    });
  }
  test::FakeTransport transport;
  DSIFramerANT framer{&transport};
};

class RiderBoardTest : public ::testing::Test {
 protected:
  RiderBoardTest() { login.accountId = 77; }

  void LoadTeam(const std::string& members) {
    server.Answer(1, R"({"header":1,"result":true,"member":[)" + members + "]}");
    ASSERT_TRUE(roster.LoadMembers());
  }
  // Entry of a member in every rider list (0 is the empty entry).
  int EntryOf(std::uint64_t memberId) const {
    const auto& entries = lists.Entries(0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].memberId == memberId) return static_cast<int>(i);
    }
    return -1;
  }
  void Push(EventHeader header, int panel, int graph, EventValue value, int type = 123) {
    PushEvent(BuildReadingEvent(header, panel, type, graph, value, tick.Now()));
  }
  // A stick with eight channels, already sized.
  AntReceiver& AddStick() {
    sticks.push_back(std::make_unique<SyncStick>());
    auto receiver = std::make_unique<AntReceiver>(&sticks.back()->framer);
    receiver->HandleMessage(test::Message(ant_id::kCapabilities, {8, 3}), 2);
    AntReceiver& r = *receiver;
    board.Sticks().AddReceiver(std::move(receiver));
    return r;
  }
  const std::string& Text(int panel, PanelValue v) { return board.Text(panel, v); }

  struct Tick {
    test::ManualTick clock{5000};
    std::uint64_t Now() const { return TickCount64(); }
    void Advance(std::uint64_t ms) { test::ManualTick::Advance(ms); }
  } tick;
  StringQueue log;
  QueueBinding logBinding{QueueBinding::Role::kLog, log};
  std::vector<std::unique_ptr<SyncStick>> sticks;
  test::RecordingPanelView view;
  test::RecordingMessageBox messages;
  test::ScriptedPacketSender server;
  RiderLists lists;
  LoginValues login;
  TeamRoster roster{server, messages, lists, login};
  RiderBoard board{view, messages, server, roster, lists, login};
};

TEST_F(RiderBoardTest, SpeedIsRoundedToATenthAndTheGraphGetsWholeKilometres) {
  Push(EventHeader::kSpeed, 2, 0, EventValue::Real(12.349));
  board.DrainEvents();
  EXPECT_EQ(Text(2, PanelValue::kSpeed), " 12.3");
  EXPECT_EQ(Text(2, PanelValue::kMaxSpeed), " 12.3");
  Push(EventHeader::kSpeed, 2, 0, EventValue::Real(12.36));
  board.DrainEvents();
  EXPECT_EQ(Text(2, PanelValue::kSpeed), " 12.4");
  EXPECT_EQ(view.Text(2, PanelValue::kSpeed), " 12.4");
  EXPECT_EQ(Text(2, PanelValue::kMaxSpeed), " 12.4");
}

TEST_F(RiderBoardTest, SpikesOverAShownSpeedAreDropped) {
  const int series = view.AddSeries(0, series_colour::kSpeed);
  Push(EventHeader::kSpeed, 0, series, EventValue::Real(20.0));
  Push(EventHeader::kSpeed, 0, series, EventValue::Real(130.0));
  board.DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kSpeed), " 20.0");
  EXPECT_EQ(Text(0, PanelValue::kMaxSpeed), " 20.0");
  EXPECT_THAT(view.panels[0].series[0]->samples, ElementsAre(20));

  Push(EventHeader::kSpeed, 0, series, EventValue::Real(0.0));
  Push(EventHeader::kSpeed, 0, series, EventValue::Real(130.0));  // over 0.0: accepted
  Push(EventHeader::kSpeed, 1, series, EventValue::Real(130.0));  // nothing shown: accepted
  board.DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kSpeed), "130.0");
  EXPECT_EQ(Text(1, PanelValue::kSpeed), "130.0");
}

TEST_F(RiderBoardTest, GraphSamplesAreClampedAndRetractionsClearValueAndMaximum) {
  const int speedSeries = view.AddSeries(0, series_colour::kSpeed);
  const int cadenceSeries = view.AddSeries(0, series_colour::kCadence);
  Push(EventHeader::kSpeed, 0, speedSeries, EventValue::Real(10500.0));
  Push(EventHeader::kCadence, 0, cadenceSeries, EventValue::Integer(10500), 122);
  Push(EventHeader::kDistance, 0, speedSeries, EventValue::Real(1.234f));
  board.DrainEvents();
  EXPECT_THAT(view.panels[0].series[0]->samples, ElementsAre(9999));
  EXPECT_THAT(view.panels[0].series[1]->samples, ElementsAre(9999));
  EXPECT_EQ(Text(0, PanelValue::kDistance), "  1.23");

  Push(EventHeader::kDistance, 0, speedSeries, EventValue::Retract());
  board.DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kDistance), "");
  EXPECT_EQ(Text(0, PanelValue::kSpeed), "10500.0") << "a retracted distance clears only itself";

  view.panels[0].gear = {3, 4};
  Push(EventHeader::kSpeed, 0, speedSeries, EventValue::Retract());
  board.DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kSpeed), "");
  EXPECT_EQ(Text(0, PanelValue::kMaxSpeed), "");
  EXPECT_FALSE(view.panels[0].series[0]) << "the series is removed";
  EXPECT_EQ(view.panels[0].gear, (std::array<int, 2>{-1, -1}));
  EXPECT_THAT(view.panels[0].series[1]->samples, ElementsAre(9999)) << "no negative sample";
}

TEST_F(RiderBoardTest, StaleValuesClearAfterTenSecondsButMaximaStay) {
  const int series = view.AddSeries(4, series_colour::kHeartRate);
  Push(EventHeader::kHeartRate, 4, series, EventValue::Integer(150), 120);
  Push(EventHeader::kPower, 4, series, EventValue::Integer(250), 11);
  board.DrainEvents();
  tick.Advance(9999);
  board.ClearStaleValues();
  EXPECT_EQ(Text(4, PanelValue::kHeartRate), "  150");
  tick.Advance(1);
  board.ClearStaleValues();
  EXPECT_EQ(Text(4, PanelValue::kHeartRate), "");
  EXPECT_EQ(Text(4, PanelValue::kPower), "");
  EXPECT_EQ(Text(4, PanelValue::kMaxHeartRate), "  150");
  EXPECT_THAT(view.panels[4].series[0]->samples, ElementsAre(150, 250, 0, 0));
  board.ClearStaleValues();
  EXPECT_EQ(view.panels[4].series[0]->samples.size(), 4u) << "once per silence";
}

TEST_F(RiderBoardTest, NewBestIsReportedOnceAndKeptOnlyWhenTheServerTookIt) {
  LoadTeam(Member(5, "kim", "[]", R"({"speed":30.0,"cadence":90,"hrm":170})"));
  board.SelectMember(1, EntryOf(5));
  server.Fail(8);
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(25.0));
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(31.5));
  board.DrainEvents();
  ASSERT_EQ(server.Sent().size(), 2u);
  EXPECT_EQ(server.LastSent(),
            R"({"header":8,"rankingtype":0,"memberid":5,"membername":"kim","accountid":77,"score":31.5})");
  EXPECT_EQ(roster.FindMember(5)->bestSpeed, 30.0) << "refused: the best stays";

  server.Answer(8, R"({"header":8,"result":true})");
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(31.5));  // not above the shown maximum
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(32.0));
  Push(EventHeader::kHeartRate, 1, 1, EventValue::Integer(175), 120);
  Push(EventHeader::kHeartRate, 1, 1, EventValue::Integer(160), 120);
  Push(EventHeader::kCadence, 1, 2, EventValue::Integer(85), 122);
  board.DrainEvents();
  ASSERT_EQ(server.Sent().size(), 4u);
  EXPECT_EQ(server.Sent()[2],
            R"({"header":8,"rankingtype":0,"memberid":5,"membername":"kim","accountid":77,"score":32})");
  EXPECT_EQ(server.Sent()[3],
            R"({"header":8,"rankingtype":2,"memberid":5,"membername":"kim","accountid":77,"score":175})");
  EXPECT_EQ(roster.FindMember(5)->bestSpeed, 32.0);
  EXPECT_EQ(roster.FindMember(5)->bestHeartRate, 175);
  EXPECT_EQ(Text(1, PanelValue::kMaxHeartRate), "  175");
}

TEST_F(RiderBoardTest, GearFollowsSpeedAndCadenceOfTheMembersBicycle) {
  LoadTeam(Member(5, "kim", "[]"));
  board.SelectMember(0, EntryOf(5));
  EXPECT_EQ(view.panels[0].gearCount, (std::array<int, 2>{2, 11}));
  Push(EventHeader::kCadence, 0, 1, EventValue::Integer(90), 122);
  Push(EventHeader::kSpeed, 0, 0, EventValue::Real(40.0));
  board.DrainEvents();
  EXPECT_EQ(view.panels[0].gear, (std::array<int, 2>{0, 7})) << "50/15 for a ratio of 3.534";

  Push(EventHeader::kCadence, 0, 1, EventValue::Integer(0), 122);
  board.DrainEvents();
  EXPECT_EQ(view.panels[0].gear, (std::array<int, 2>{-1, -1})) << "no gear while not pedalling";

  // A panel without a member shows no gear.
  Push(EventHeader::kCadence, 3, 1, EventValue::Integer(90), 122);
  Push(EventHeader::kSpeed, 3, 0, EventValue::Real(40.0));
  view.panels[3].gear = {1, 1};
  board.DrainEvents();
  EXPECT_EQ(view.panels[3].gear, (std::array<int, 2>{-1, -1}));
}

TEST(GearEstimateTest, WorkedExamples) {
  const GearRatioTable table;
  const std::vector<int> rings{50, 34};
  const std::vector<int> sprockets{25, 23, 21, 19, 18, 17, 16, 15, 14, 13, 12};
  const double r = ObservedRatio(40.0, 90.0, 2.096);
  EXPECT_NEAR(r, 3.534, 1e-3);
  EXPECT_EQ(EstimateGear(table, 1, rings, sprockets, r), std::make_pair(0, 7));
  EXPECT_EQ(EstimateGear(table, 1, rings, sprockets, 2.0), std::make_pair(1, 5))
      << "34/17 and 50/25 are both 2.0; the one added later wins";
  EXPECT_FALSE(EstimateGear(table, 1, rings, sprockets, 1.0)) << "below every ratio";
  EXPECT_FALSE(EstimateGear(table, 1, rings, sprockets, ObservedRatio(0.0, 0.0, 2.096)));
  EXPECT_EQ(table.Ratio(3, 53, 28), 53.0 / 28);
  EXPECT_EQ(table.Ratio(1, 60, 11), 0.0) << "outside the table";
}

TEST_F(RiderBoardTest, ClockRunsFromTheStartButtonAndHoursDoNotWrap) {
  LoadTeam(Member(5, "kim", "[]"));
  board.UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "");
  board.SelectMember(0, EntryOf(5));
  board.UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "00:00:00");
  EXPECT_EQ(view.panels[0].startText, "▶");
  EXPECT_TRUE(view.panels[0].startEnabled);

  tick.clock.Set(0xFFFFF000ull);  // the 32-bit count wraps during the ride
  board.ClickStart(0);
  EXPECT_EQ(view.panels[0].startText, "■");
  tick.Advance(25ull * 3600 * 1000 + 999);
  board.UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "25:00:00");
  board.ClickStart(0);
  board.UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "00:00:00");
  EXPECT_EQ(view.panels[0].startText, "▶");

  board.SelectMember(0, 0);
  board.UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "");
  board.ClickStart(0);
  EXPECT_FALSE(view.panels[0].startEnabled);
}

TEST_F(RiderBoardTest, AMemberRidesInOnePanelAndEnablesTheBoxesOfItsSensors) {
  LoadTeam(Member(5, "kim", R"([{"id":1,"active":true,"number":12001,"type":120},
                               {"id":2,"active":true,"number":1101,"type":11},
                               {"id":3,"active":false,"number":12301,"type":123}])") + "," +
           Member(6, "lee", R"([{"id":4,"active":true,"number":9,"type":7},
                               {"id":5,"active":true,"number":12001,"type":120}])"));
  board.SelectMember(1, EntryOf(5));
  EXPECT_TRUE(board.IsMemberInUse(5));
  EXPECT_FALSE(board.BoxEnabled(1, SensorBox::kSpeed));
  EXPECT_TRUE(board.BoxEnabled(1, SensorBox::kCadence));
  EXPECT_TRUE(board.BoxEnabled(1, SensorBox::kHeartRate));
  EXPECT_TRUE(board.BoxEnabled(1, SensorBox::kPower));

  board.SelectMember(3, EntryOf(5));
  EXPECT_FALSE(lists.Selection(3)) << "the same member in a second panel is refused";
  EXPECT_EQ(view.panels[3].selection, std::nullopt);

  board.SelectMember(4, EntryOf(6));
  EXPECT_FALSE(board.BoxEnabled(4, SensorBox::kHeartRate)) << "an unknown sensor kind ends the set-up";
  EXPECT_EQ(view.panels[4].gearCount, (std::array<int, 2>{-1, -1}));
}

// The check boxes over sticks that answer at once.
class SensorBoxTest : public RiderBoardTest {
 protected:
  void SetUp() override {
    LoadTeam(Member(5, "kim", R"([{"id":1,"active":true,"number":12101,"type":121},
                                 {"id":2,"active":true,"number":12301,"type":123},
                                 {"id":3,"active":true,"number":1101,"type":11},
                                 {"id":4,"active":true,"number":12001,"type":120}])"));
    stick = &AddStick();
    board.SelectMember(0, EntryOf(5));
  }
  std::vector<std::string> Log() {
    std::vector<std::string> texts;
    for (std::string s; log.TryPop(s);) texts.push_back(s.substr(s.find(" > ") + 3));
    return texts;
  }
  std::vector<int> OpenTypes() {
    std::vector<int> types;
    stick->ForEachDecoder([&](std::size_t, CDisplay& d) { types.push_back(d.DeviceType()); });
    return types;
  }
  void Release(int channel) {
    stick->HandleMessage(test::Message(0x40, {static_cast<std::uint8_t>(channel), 0x41, 0}), 3);
    board.DrainEvents();
  }
  AntReceiver* stick = nullptr;
};

TEST_F(SensorBoxTest, SpeedPrefersTheCombinedSensorAndTicksCadenceWithIt) {
  board.ClickSensorBox(0, SensorBox::kSpeed);
  EXPECT_THAT(OpenTypes(), ElementsAre(121));
  EXPECT_TRUE(board.BoxChecked(0, SensorBox::kCadence));
  EXPECT_EQ(board.Slot(0, 121).channel, 0);
  EXPECT_TRUE(board.Slot(0, 123).Free());
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kSpeed).size(), 1u);
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kCadence).size(), 1u);
}

TEST_F(SensorBoxTest, PowerMeterTakesTheCadenceAndUntickingCadenceGivesItBack) {
  board.ClickSensorBox(0, SensorBox::kSpeed);
  board.ClickSensorBox(0, SensorBox::kPower);
  EXPECT_THAT(OpenTypes(), ElementsAre(121, 11));
  board.DrainEvents();
  // The combined sensor's cadence graph was taken away: one green series,
  // the power meter's.
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kCadence).size(), 1u);

  board.ClickSensorBox(0, SensorBox::kCadence);  // untick: the power meter closes
  EXPECT_FALSE(board.BoxChecked(0, SensorBox::kPower));
  EXPECT_TRUE(board.BoxChecked(0, SensorBox::kCadence)) << "ticked again for the combined sensor";
  EXPECT_TRUE(board.Slot(0, 11).Free());
  EXPECT_FALSE(board.Slot(0, 121).Free());
  EXPECT_THAT(Log(), testing::Contains("Closing Channel..."));
  Release(1);
  EXPECT_EQ(view.SeriesOfColour(0, series_colour::kCadence).size(), 2u)
      << "the power meter's series went with it; the combined sensor draws again";
}

TEST_F(SensorBoxTest, ReleasedChannelOfATickedBoxIsAssignedAgainSilently) {
  board.ClickSensorBox(0, SensorBox::kHeartRate);
  Log();
  Release(0);
  EXPECT_THAT(Log(), ElementsAre("Channel unassigned", "Assigning Channel..."));
  EXPECT_EQ(board.Slot(0, 120).channel, 0);
  EXPECT_THAT(OpenTypes(), ElementsAre(120));

  board.ClickSensorBox(0, SensorBox::kHeartRate);  // untick: closed and not wanted back
  Release(0);
  EXPECT_THAT(OpenTypes(), IsEmpty());
  EXPECT_TRUE(board.Slot(0, 120).Free());
  EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(SensorBoxTest, FailedRegistrationsShowTheirMessageAndUntick) {
  // Every channel of the only stick taken.
  for (int i = 0; i < 8; ++i) {
    stick->PlaceDecoder([&](std::uint8_t c) { return MakeDecoder(120, DecoderSetup{.owner = stick, .deviceNumber = 1, .channelNumber = c, .uiid = 9}); });
  }
  board.ClickSensorBox(0, SensorBox::kHeartRate);
  board.ClickSensorBox(0, SensorBox::kSpeed);
  board.ClickSensorBox(0, SensorBox::kPower);
  EXPECT_THAT(messages.Texts(), ElementsAre("심박 센서 수신등록에 실패하였습니다.",
                                            "콤보 센서 수신등록에 실패하였습니다.",
                                            "파워미터 센서 수신등록에 실패하였습니다."));
  for (auto box : {SensorBox::kSpeed, SensorBox::kCadence, SensorBox::kHeartRate, SensorBox::kPower}) {
    EXPECT_FALSE(board.BoxChecked(0, box));
  }
  EXPECT_TRUE(view.panels[0].series.empty() ||
              view.SeriesOfColour(0, series_colour::kSpeed).empty())
      << "reserved series are given back";
}

TEST_F(SensorBoxTest, LeavingTheMemberClosesItsSensors) {
  board.ClickSensorBox(0, SensorBox::kSpeed);
  board.ClickSensorBox(0, SensorBox::kHeartRate);
  board.SelectMember(0, 0);
  for (auto box : {SensorBox::kSpeed, SensorBox::kCadence, SensorBox::kHeartRate}) {
    EXPECT_FALSE(board.BoxChecked(0, box));
    EXPECT_FALSE(board.BoxEnabled(0, box));
  }
  EXPECT_TRUE(board.Slot(0, 121).Free());
  EXPECT_TRUE(board.Slot(0, 120).Free());
  const auto lines = Log();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Closing Channel..."), 2);
}

TEST_F(SensorBoxTest, ASecondStickIsUsedOnlyWhenTheFirstIsFullOrHasTheSensor) {
  AntReceiver& second = AddStick();
  board.ClickSensorBox(0, SensorBox::kHeartRate);
  EXPECT_EQ(board.Slot(0, 120).receiver, 0);
  // The same sensor again on another panel: the first stick has it already.
  board.UseSensors(2, {DeviceRecord{9, true, 12001, 120}});
  board.ClickSensorBox(2, SensorBox::kHeartRate);
  EXPECT_EQ(board.Slot(2, 120).receiver, 1);
  EXPECT_EQ(board.Slot(2, 120).channel, 0);
  int onSecond = 0;
  second.ForEachDecoder([&](std::size_t, CDisplay&) { ++onSecond; });
  EXPECT_EQ(onSecond, 1);
}

}  // namespace
}  // namespace vel
