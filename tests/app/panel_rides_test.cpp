#include "app/panel_rides.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/string_printf.h"
#include "common/tick_clock.h"
#include "sensors/sensor_event.h"
#include "support/board_rig.h"

namespace vel {
namespace {

using ::testing::ElementsAre;

// What the board tells the recorder, as lines: "begin kim", "sample 0
// hr=150 kmh=30.0 ...", "pause 2500", "resume 7500", "end 9000".
class LineRecorder : public RideRecorder {
 public:
  Handle Begin(const RideStart& start) override {
    lines.push_back("begin " + start.memberName);
    return ++rides;
  }
  void Record(Handle, const RideSample& s) override {
    std::string line = "sample " + std::to_string(s.offsetMs);
    if (s.heartRate) line += " hr=" + std::to_string(*s.heartRate);
    if (s.speed) line += StringPrintf(" kmh=%.1f", *s.speed);
    if (s.distance) line += StringPrintf(" km=%.2f", *s.distance);
    if (s.frontTeeth) line += StringPrintf(" gear=%d/%d", *s.frontTeeth, *s.rearTeeth);
    lines.push_back(line);
  }
  void Pause(Handle, std::int64_t offsetMs) override {
    lines.push_back("pause " + std::to_string(offsetMs));
  }
  void Resume(Handle, std::int64_t offsetMs) override {
    lines.push_back("resume " + std::to_string(offsetMs));
  }
  void End(Handle, std::int64_t offsetMs) override {
    lines.push_back("end " + std::to_string(offsetMs));
  }
  std::vector<std::string> Take() { return std::exchange(lines, {}); }

  std::vector<std::string> lines;
  Handle rides = 0;
};

class PanelRidesTest : public ::testing::Test, protected test::BoardRig {
 protected:
  PanelRidesTest() {
    LoadTeam({test::MemberJson(5, "kim", "[]"), test::MemberJson(6, "lee", "[]")});
    board->RecordRidesTo(&recorder, [] { return std::int64_t{1'765'000'000'000}; });
    board->SelectMember(0, EntryOf(5));
  }
  // The recorder outlives the board, which ends the rides as it goes.
  ~PanelRidesTest() override { board.reset(); }
  void Show(EventHeader header, int type, EventValue value) {
    PushEvent(BuildReadingEvent(header, 0, type, 0, value, TickCount64()));
    board->DrainEvents();
  }
  // The clock timer's steps over `ms`.
  void Ride(std::uint64_t ms) {
    for (std::uint64_t t = 0; t < ms; t += RiderBoard::kClockPeriodMs) {
      test::ManualTick::Advance(RiderBoard::kClockPeriodMs);
      board->UpdateClocks();
    }
  }

  test::ManualTick tick{5000};
  LineRecorder recorder;
};

TEST_F(PanelRidesTest, ASecondOfWhatThePanelShowsWhileTheClockRunsWithGapsAsGaps) {
  Show(EventHeader::kHeartRate, 120, EventValue::Integer(150));
  Ride(3000);
  EXPECT_THAT(recorder.Take(), testing::IsEmpty()) << "no ride before the clock runs";

  board->ClickStart(0);
  Show(EventHeader::kSpeed, 123, EventValue::Real(30.04));
  Show(EventHeader::kDistance, 123, EventValue::Real(12.5));
  Ride(1000);
  Show(EventHeader::kDistance, 123, EventValue::Real(12.51));
  Ride(1000);
  EXPECT_THAT(recorder.Take(),
              ElementsAre("begin kim", "sample 0 hr=150", "sample 1000 hr=150 kmh=30.0 km=0.00",
                          "sample 2000 hr=150 kmh=30.0 km=0.01"))
      << "the distance the sensor counted since the clock started";

  // The strap falls silent: the watchdog clears its value, a gap.
  test::ManualTick::Advance(PanelReadings::kStaleMs);
  board->ClearStaleValues();
  board->UpdateClocks();
  EXPECT_THAT(recorder.Take(), ElementsAre("sample 12000 km=0.01"));
}

TEST_F(PanelRidesTest, TheStoppedClockPausesTheRideAndAMemberChangeEndsIt) {
  board->ClickStart(0);
  Ride(2500);
  board->ClickStart(0);  // ■
  Show(EventHeader::kDistance, 123, EventValue::Real(3.0));
  Ride(5000);
  Show(EventHeader::kDistance, 123, EventValue::Real(4.0));  // ridden while stopped
  board->ClickStart(0);                                      // ▶ again: the same ride
  Show(EventHeader::kDistance, 123, EventValue::Real(4.5));
  Ride(1000);
  EXPECT_THAT(recorder.Take(),
              ElementsAre("begin kim", "sample 0", "sample 1000", "sample 2000", "pause 2500",
                          "resume 7500", "sample 7500 km=0.00", "sample 8500 km=0.50"));

  board->SelectMember(0, EntryOf(6));  // lee takes the seat
  EXPECT_THAT(recorder.Take(), ElementsAre("end 8500"));
  Ride(2000);
  board->ClickStart(0);
  EXPECT_THAT(recorder.Take(), ElementsAre("begin lee", "sample 0 km=0.00"))
      << "a ride of lee's own, from what the sensor counts from now";
  board.reset();
  EXPECT_THAT(recorder.Take(), ElementsAre("end 0")) << "the window's end ends it";
}

}  // namespace
}  // namespace vel
