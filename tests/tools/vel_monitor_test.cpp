#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

#include "json_line_view.h"
#include "monitor_options.h"
#include "support/child_process.h"
#include "support/run_program.h"
#include "support/wait_until.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::optional<MonitorOptions> Parse(std::initializer_list<const char*> args, std::string& error) {
  return ParseMonitorOptions(std::vector<std::string>(args.begin(), args.end()), error);
}

TEST(MonitorOptionsTest, SensorsRidersAndTheirChecks) {
  std::string error;
  auto o = Parse({"--sensor", "0:120:12001", "--sensor", "0:11:1101", "--seconds", "2.5", "--log"},
                 error);
  ASSERT_TRUE(o) << error;
  ASSERT_EQ(o->sensors.size(), 2u);
  EXPECT_EQ(o->sensors[1].deviceType, 11);
  EXPECT_EQ(*o->seconds, 2.5);
  o = Parse({"--server", "http://127.0.0.1:3000", "--account", "12", "--rider", "3:40"}, error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->riders[0].memberId, 40u);

  for (auto bad : std::vector<std::vector<const char*>>{
           {},
           {"--sensor", "10:120:1"},
           {"--sensor", "0:99:1"},
           {"--sensor", "0:120:70000"},
           {"--sensor", "0:120"},
           {"--rider", "0:1"},
           {"--server", "ftp://x", "--account", "1", "--rider", "0:1"},
           {"--server", "http://x", "--account", "-1", "--rider", "0:1"},
           {"--server", "http://x", "--account", "1", "--rider", "0:1", "--rider", "0:2"},
           {"--server", "http://x", "--account", "1", "--rider", "0:1", "--sensor", "0:120:1"},
           {"--sensor", "0:120:1", "--seconds", "0"},
           {"--sensor", "0:120:1", "--seconds"},
           {"--sensor", "0:120:1", "--bogus"}}) {
    error.clear();
    EXPECT_FALSE(ParseMonitorOptions(std::vector<std::string>(bad.begin(), bad.end()), error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(JsonLineViewTest, ZonesBatteriesAndSignalsAsTheirOwnLines) {
  std::vector<std::string> lines;
  JsonLineView view([&](const std::string& l) { lines.push_back(l); });
  view.SetZone(0, ZoneKind::kHeartRate, ZoneReading{3, 74.4});
  view.SetZone(0, ZoneKind::kHeartRate, ZoneReading{3, 74.2});  // the same as shown: nothing
  view.SetZone(0, ZoneKind::kPower, std::nullopt);
  view.SetBattery(1, SensorBox::kHeartRate, BatteryLevel::kLow);
  view.SetSignal(2, SensorBox::kPower, true);
  view.SetSignal(2, SensorBox::kPower, false);
  EXPECT_THAT(lines,
              ElementsAre(R"({"panel":0,"control":"heartratezone","zone":3,"percent":74})",
                          R"({"panel":0,"control":"powerzone","zone":null,"percent":null})",
                          R"({"panel":1,"control":"battery","sensor":"heartrate","status":"low"})",
                          R"({"panel":2,"control":"signal","sensor":"power","status":"lost"})",
                          R"({"panel":2,"control":"signal","sensor":"power","status":"ok"})"));
}

TEST(JsonLineViewTest, OneLinePerChangeWithJsonTextEscaped) {
  std::vector<std::string> lines;
  JsonLineView view([&](const std::string& l) { lines.push_back(l); });
  view.SetValueText(0, PanelValue::kSpeed, " 23.4");
  view.SetValueText(0, PanelValue::kSpeed, " 23.4");  // unchanged: nothing
  view.SetSelectedGear(2, GearIndicator::kRear, 7);
  view.SetClockText(1, "00:00:01");
  view.Show("감지된 ANT+ 수신기가 없습니다.\n\"quoted\"");
  EXPECT_THAT(lines, ElementsAre(R"({"panel":0,"control":"speed","text":" 23.4"})",
                                 R"({"panel":2,"control":"reargear","index":7})",
                                 R"({"panel":1,"control":"clock","text":"00:00:01"})",
                                 R"({"message":"감지된 ANT+ 수신기가 없습니다.\n\"quoted\""})"));
  EXPECT_EQ(view.AddSeries(0, 1), 0);
  EXPECT_EQ(view.AddSeries(0, 1), 1);
  view.RemoveSeries(0, 0);
  EXPECT_EQ(view.AddSeries(0, 1), 0) << "a free slot is used again";
}

TEST(VelMonitorToolTest, ShowsAStrapOfTheSimulatedRoomOnPanelZero) {
  // Until the strap shows, however long the simulated room takes to be
  // heard; then stopped as a user would stop it.
  test::ProgramSetup oneStick;
  oneStick.environment = {"VEL_ANT_SIM=1"};
  test::ChildProcess monitor(VEL_MONITOR_EXE, {"--sensor", "0:120:12001"}, oneStick);
  ASSERT_TRUE(monitor.Started()) << monitor.Error();
  EXPECT_TRUE(test::WaitUntil([&] {
    return monitor.Out().find(R"({"panel":0,"control":"heartrate","text":")") != std::string::npos;
  })) << monitor.Out()
      << monitor.Err();
  monitor.Signal(SIGINT);
  const auto end = monitor.WaitForEnd();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, 0) << monitor.Err();
}

TEST(VelMonitorToolTest, WithoutSticksTheUserIsToldAndBadOptionsEndWithStatusTwo) {
  test::ProgramSetup noSticks;
  noSticks.environment = {"VEL_ANT_SIM=0", "VEL_ANT_TTY="};
  const test::ProgramRun run =
      test::RunProgram(VEL_MONITOR_EXE, {"--sensor", "0:120:1", "--seconds", "0.3"}, noSticks);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr(R"({"message":"감지된 ANT+ 수신기가 없습니다."})"));
  const test::ProgramRun bad = test::RunProgram(VEL_MONITOR_EXE, {"--sensor", "0:7:1"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
}

}  // namespace
}  // namespace vel
