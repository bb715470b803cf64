#include "app/panel_readings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/tick_clock.h"
#include "sensors/sensor_event.h"
#include "support/board_rig.h"

namespace vel {
namespace {

using ::testing::ElementsAre;

// Readings as the decoders push them, drained by the board.
class PanelReadingsTest : public ::testing::Test, protected test::BoardRig {
 protected:
  void Push(EventHeader header, int panel, int graph, EventValue value, int type = 123) {
    PushEvent(BuildReadingEvent(header, panel, type, graph, value, TickCount64()));
  }

  test::ManualTick tick{5000};
};

TEST_F(PanelReadingsTest, SpeedIsRoundedToATenthAndTheGraphGetsWholeKilometres) {
  Push(EventHeader::kSpeed, 2, 0, EventValue::Real(12.349));
  board->DrainEvents();
  EXPECT_EQ(Text(2, PanelValue::kSpeed), " 12.3");
  EXPECT_EQ(Text(2, PanelValue::kMaxSpeed), " 12.3");
  Push(EventHeader::kSpeed, 2, 0, EventValue::Real(12.36));
  board->DrainEvents();
  EXPECT_EQ(Text(2, PanelValue::kSpeed), " 12.4");
  EXPECT_EQ(view.Text(2, PanelValue::kSpeed), " 12.4");
  EXPECT_EQ(Text(2, PanelValue::kMaxSpeed), " 12.4");
}

TEST_F(PanelReadingsTest, SpikesOverAShownSpeedAreDropped) {
  const int series = view.AddSeries(0, series_colour::kSpeed);
  Push(EventHeader::kSpeed, 0, series, EventValue::Real(20.0));
  Push(EventHeader::kSpeed, 0, series, EventValue::Real(130.0));
  board->DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kSpeed), " 20.0");
  EXPECT_EQ(Text(0, PanelValue::kMaxSpeed), " 20.0");
  EXPECT_THAT(view.Samples(0, 0), ElementsAre(20));

  Push(EventHeader::kSpeed, 0, series, EventValue::Real(0.0));
  Push(EventHeader::kSpeed, 0, series, EventValue::Real(130.0));  // over 0.0: accepted
  Push(EventHeader::kSpeed, 1, series, EventValue::Real(130.0));  // nothing shown: accepted
  board->DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kSpeed), "130.0");
  EXPECT_EQ(Text(1, PanelValue::kSpeed), "130.0");
}

TEST_F(PanelReadingsTest, GraphSamplesAreClampedAndRetractionsClearValueAndMaximum) {
  const int speedSeries = view.AddSeries(0, series_colour::kSpeed);
  const int cadenceSeries = view.AddSeries(0, series_colour::kCadence);
  Push(EventHeader::kSpeed, 0, speedSeries, EventValue::Real(10500.0));
  Push(EventHeader::kCadence, 0, cadenceSeries, EventValue::Integer(10500), 122);
  Push(EventHeader::kDistance, 0, speedSeries, EventValue::Real(1.234f));
  board->DrainEvents();
  EXPECT_THAT(view.Samples(0, 0), ElementsAre(9999));
  EXPECT_THAT(view.Samples(0, 1), ElementsAre(9999));
  EXPECT_EQ(Text(0, PanelValue::kDistance), "  1.23");

  Push(EventHeader::kDistance, 0, speedSeries, EventValue::Retract());
  board->DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kDistance), "");
  EXPECT_EQ(Text(0, PanelValue::kSpeed), "10500.0") << "a retracted distance clears only itself";

  view.panels[0].gear = {3, 4};
  Push(EventHeader::kSpeed, 0, speedSeries, EventValue::Retract());
  board->DrainEvents();
  EXPECT_EQ(Text(0, PanelValue::kSpeed), "");
  EXPECT_EQ(Text(0, PanelValue::kMaxSpeed), "");
  EXPECT_EQ(view.panels[0].series.Find(0), nullptr) << "the series is removed";
  EXPECT_EQ(view.panels[0].gear, (std::array<int, 2>{-1, -1}));
  EXPECT_THAT(view.Samples(0, 1), ElementsAre(9999)) << "no negative sample";
}

TEST_F(PanelReadingsTest, StaleValuesClearAfterTenSecondsButMaximaStay) {
  const int series = view.AddSeries(4, series_colour::kHeartRate);
  Push(EventHeader::kHeartRate, 4, series, EventValue::Integer(150), 120);
  Push(EventHeader::kPower, 4, series, EventValue::Integer(250), 11);
  board->DrainEvents();
  test::ManualTick::Advance(9999);
  board->ClearStaleValues();
  EXPECT_EQ(Text(4, PanelValue::kHeartRate), "  150");
  test::ManualTick::Advance(1);
  board->ClearStaleValues();
  EXPECT_EQ(Text(4, PanelValue::kHeartRate), "");
  EXPECT_EQ(Text(4, PanelValue::kPower), "");
  EXPECT_EQ(Text(4, PanelValue::kMaxHeartRate), "  150");
  EXPECT_THAT(view.Samples(4, 0), ElementsAre(150, 250, 0, 0));
  board->ClearStaleValues();
  EXPECT_EQ(view.Samples(4, 0).size(), 4u) << "once per silence";
}

TEST_F(PanelReadingsTest, NewBestIsReportedOnceAndKeptOnlyWhenTheServerTookIt) {
  LoadTeam({test::MemberJson(5, "kim", "[]", R"({"speed":30.0,"cadence":90,"hrm":170})")});
  board->SelectMember(1, EntryOf(5));
  server.Fail(8);
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(25.0));
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(31.5));
  board->DrainEvents();
  ASSERT_EQ(server.Sent().size(), 2u);
  EXPECT_EQ(
      server.LastSent(),
      R"({"header":8,"rankingtype":0,"memberid":5,"membername":"kim","accountid":77,"score":31.5})");
  EXPECT_EQ(roster.FindMember(5)->bestSpeed, 30.0) << "not taken: the best stays";

  // The server is back; new maxima wait for the pause after the failure.
  server.Answer(8, R"({"header":8,"result":true})");
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(31.5));  // not above the shown maximum
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(32.0));
  Push(EventHeader::kHeartRate, 1, 1, EventValue::Integer(175), 120);
  Push(EventHeader::kHeartRate, 1, 1, EventValue::Integer(160), 120);
  Push(EventHeader::kCadence, 1, 2, EventValue::Integer(85), 122);
  board->DrainEvents();
  EXPECT_EQ(server.Sent().size(), 2u);
  test::ManualTick::Advance(ScoreReports::kRetryPauseMs);
  board->DrainEvents();
  ASSERT_EQ(server.Sent().size(), 4u);
  EXPECT_EQ(
      server.Sent()[2],
      R"({"header":8,"rankingtype":0,"memberid":5,"membername":"kim","accountid":77,"score":32})")
      << "the pending best is the highest, and the oldest goes first";
  EXPECT_EQ(
      server.Sent()[3],
      R"({"header":8,"rankingtype":2,"memberid":5,"membername":"kim","accountid":77,"score":175})");
  EXPECT_EQ(roster.FindMember(5)->bestSpeed, 32.0);
  EXPECT_EQ(roster.FindMember(5)->bestHeartRate, 175);
  EXPECT_EQ(Text(1, PanelValue::kMaxHeartRate), "  175");

  // A report the server refuses is not sent again.
  server.Answer(8, R"({"header":8,"result":false,"errcode":3})");
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(33.0));
  board->DrainEvents();
  EXPECT_EQ(server.Sent().size(), 4u) << "held: the member's speed went to the server just now";
  test::ManualTick::Advance(ScoreReports::kReportHoldMs);
  board->DrainEvents();
  board->DrainEvents();
  EXPECT_EQ(server.Sent().size(), 5u);
  EXPECT_THAT(LogTexts(), testing::Contains(testing::HasSubstr("refused, errcode 3")));
}

// A report whose connection fails keeps its message box open; the window's
// timers go on draining inside it.
TEST_F(PanelReadingsTest, DrainsWhileAReportWaitsMoveThePanelsButSendNoSecondReport) {
  LoadTeam({test::MemberJson(5, "kim", "[]")});
  board->SelectMember(1, EntryOf(5));
  server.Fail(8);
  server.whileWaiting = [&] {
    Push(EventHeader::kSpeed, 1, 0, EventValue::Real(31.0));
    Push(EventHeader::kHeartRate, 1, 1, EventValue::Integer(150), 120);
    board->DrainEvents();
  };
  const auto reports = [&] {
    return std::count_if(server.Sent().begin(), server.Sent().end(), [](const std::string& sent) {
      return sent.starts_with(R"({"header":8)");
    });
  };
  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(30.0));
  Push(EventHeader::kCadence, 1, 2, EventValue::Integer(85), 122);  // after the report, same drain
  board->DrainEvents();
  EXPECT_EQ(reports(), 1) << "the drains inside sent nothing";
  EXPECT_EQ(Text(1, PanelValue::kSpeed), " 31.0");
  EXPECT_EQ(Text(1, PanelValue::kHeartRate), "  150");
  EXPECT_EQ(Text(1, PanelValue::kCadence), "   85") << "the outer drain read on";

  Push(EventHeader::kSpeed, 1, 0, EventValue::Real(32.0));
  board->DrainEvents();
  EXPECT_EQ(reports(), 1) << "a failed exchange pauses the reports";
  server.Answer(8, R"({"header":8,"result":true})");
  test::ManualTick::Advance(ScoreReports::kRetryPauseMs);
  board->DrainEvents();
  EXPECT_EQ(reports(), 4) << "then every pending best goes: speed, heart rate, cadence";
  EXPECT_EQ(roster.FindMember(5)->bestSpeed, 32.0) << "the highest of its type";
}

// A server far away: one exchange uses up a drain's time for reports; what
// is left goes in the next drains, oldest first, with no new rise needed.
TEST_F(PanelReadingsTest, ASlowServerTakesEveryPendingBestWithinAFewDrains) {
  constexpr int kRiders = 5;
  std::vector<std::string> members;
  for (int r = 0; r < kRiders; ++r) members.push_back(test::MemberJson(10 + r, "r", "[]"));
  LoadTeam(members);
  for (int r = 0; r < kRiders; ++r) board->SelectMember(r, EntryOf(10 + r));
  server.Answer(8, R"({"header":8,"result":true})");
  const auto reports = [&] {
    return std::count_if(server.Sent().begin(), server.Sent().end(), [](const std::string& sent) {
      return sent.starts_with(R"({"header":8)");
    });
  };
  // Each rider's maximum rises once.
  for (int r = 0; r < kRiders; ++r) Push(EventHeader::kSpeed, r, 0, EventValue::Real(30.0 + r));
  int drains = 0;
  for (; drains < 2 * kRiders && reports() < kRiders; ++drains) {
    // 200 ms an exchange, on the program's clock.
    server.whileWaiting = [] { test::ManualTick::Advance(200); };
    board->DrainEvents();
    EXPECT_EQ(reports(), drains + 1) << "one exchange per drain";
    EXPECT_TRUE(Shows(kRiders - 1, PanelValue::kMaxSpeed)) << "the panels still move";
  }
  EXPECT_EQ(drains, kRiders);
  for (int r = 0; r < kRiders; ++r) EXPECT_EQ(roster.FindMember(10 + r)->bestSpeed, 30.0 + r);
}

TEST_F(PanelReadingsTest, GearFollowsSpeedAndCadenceOfTheMembersBicycle) {
  LoadTeam({test::MemberJson(5, "kim", "[]")});
  board->SelectMember(0, EntryOf(5));
  EXPECT_EQ(view.panels[0].gearCount, (std::array<int, 2>{2, 11}));
  Push(EventHeader::kCadence, 0, 1, EventValue::Integer(90), 122);
  Push(EventHeader::kSpeed, 0, 0, EventValue::Real(40.0));
  board->DrainEvents();
  EXPECT_EQ(view.panels[0].gear, (std::array<int, 2>{0, 7})) << "50/15 for a ratio of 3.534";

  Push(EventHeader::kCadence, 0, 1, EventValue::Integer(0), 122);
  board->DrainEvents();
  EXPECT_EQ(view.panels[0].gear, (std::array<int, 2>{-1, -1})) << "no gear while not pedalling";

  // A panel without a member shows no gear.
  Push(EventHeader::kCadence, 3, 1, EventValue::Integer(90), 122);
  Push(EventHeader::kSpeed, 3, 0, EventValue::Real(40.0));
  view.panels[3].gear = {1, 1};
  board->DrainEvents();
  EXPECT_EQ(view.panels[3].gear, (std::array<int, 2>{-1, -1}));
}

}  // namespace
}  // namespace vel
