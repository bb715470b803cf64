// vel-rides on a ride store made here, and the rides vel-monitor records:
// killed mid-ride, the next start keeps what it had stored.
#include <cpprest/json.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <sstream>

#include "rides/ride_store.h"
#include "server/request_executor.h"
#include "support/child_process.h"
#include "support/companion_server.h"
#include "support/fit_oracle.h"
#include "support/recording_message_box.h"
#include "support/run_program.h"
#include "support/scratch_folder.h"
#include "support/wait_until.h"
#include "vel-server/demo_seed.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using web::json::value;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class VelRidesToolTest : public ::testing::Test {
 protected:
  // Two rides of a minute; the second still ridden when the store closed.
  void SetUp() override {
    RideStore store(file_);
    std::vector<RideChange> changes;
    for (RideRecorder::Handle ride : {1, 2}) {
      RideChange begin;
      begin.kind = RideChange::Kind::kBegin;
      begin.ride = ride;
      begin.start = {40 + ride,
                     "라이더" + std::to_string(ride),
                     1'765'000'000'000 + 3'600'000 * static_cast<std::int64_t>(ride),
                     {}};
      changes.push_back(begin);
      for (int second = 0; second < 60; ++second) {
        RideChange sample;
        sample.ride = ride;
        sample.sample.offsetMs = second * 1000;
        sample.sample.power = 200;
        sample.sample.heartRate = 140;
        sample.sample.distance = 0.01 * second;
        changes.push_back(sample);
      }
    }
    changes.push_back({RideChange::Kind::kEnd, 1, {}, {}, 60'000});
    store.Apply(changes);
  }

  test::ScratchFolder folder_;
  fs::path file_ = folder_ / kRideStoreFile;
  std::string db_ = file_.string();
};

TEST_F(VelRidesToolTest, ListShowAndExportEveryRideAsGarminReadsIt) {
  const test::ProgramRun list = test::RunProgram(VEL_RIDES_EXE, {"--db", db_, "list", "--json"});
  ASSERT_EQ(list.status, 0) << list.err;
  const auto lines = Lines(list.out);
  ASSERT_EQ(lines.size(), 2u);
  const value newest = value::parse(lines[0]);
  EXPECT_EQ(newest.at("membername").as_string(), "라이더2") << "newest first";
  EXPECT_EQ(newest.at("ridingseconds").as_integer(), 60);
  EXPECT_EQ(newest.at("avgpower").as_integer(), 200) << "so far, while it is ridden";
  EXPECT_TRUE(newest.at("kcal").is_null()) << "kept once it is over";
  EXPECT_DOUBLE_EQ(newest.at("distance").as_double(), 0.59);
  EXPECT_EQ(value::parse(lines[1]).at("kcal").as_integer(), 12) << "12 kJ of work";
  EXPECT_TRUE(newest.at("start").as_string().starts_with("2025-12-0"));

  const test::ProgramRun show = test::RunProgram(
      VEL_RIDES_EXE,
      {"--db", db_, "show", std::to_string(value::parse(lines[1]).at("id").as_integer())});
  ASSERT_EQ(show.status, 0) << show.err;
  const value shown = value::parse(show.out);
  EXPECT_EQ(shown.at("normalizedpower").as_integer(), 200);
  EXPECT_EQ(shown.at("caloriesfrom").as_string(), "power");
  EXPECT_EQ(shown.at("samples").as_integer(), 60);

  const fs::path out = folder_ / "exported";
  for (const char* format : {"fit", "csv"}) {
    const test::ProgramRun exported = test::RunProgram(
        VEL_RIDES_EXE, {"--db", db_, "export", "--format", format, "--out", out.string()});
    ASSERT_EQ(exported.status, 0) << exported.err;
    ASSERT_EQ(Lines(exported.out).size(), 2u);
  }
  for (const auto& entry : fs::directory_iterator(out)) {
    if (entry.path().extension() != ".fit") continue;
    value decoded;
    ASSERT_TRUE(test::DecodeFit(entry.path(), decoded));
    EXPECT_TRUE(decoded.at("integrity").as_bool()) << entry.path();
    EXPECT_EQ(decoded.at("errors").size(), 0u);
    EXPECT_EQ(decoded.at("records").as_integer(), 60);
  }
}

TEST_F(VelRidesToolTest, ARidersSettingsAreKeptAndShownWithTheEstimate) {
  const test::ProgramRun set = test::RunProgram(
      VEL_RIDES_EXE, {"--db", db_, "rider", "42", "--ftp", "250", "--birth-year", "1990"});
  ASSERT_EQ(set.status, 0) << set.err;
  const value rider = value::parse(set.out);
  EXPECT_EQ(rider.at("ftp").as_integer(), 250);
  EXPECT_TRUE(rider.at("maxheartrate").is_null());
  EXPECT_TRUE(rider.at("estimated").as_bool()) << "208 - 0.7 x age stands in";
  const test::ProgramRun shown = test::RunProgram(VEL_RIDES_EXE, {"--db", db_, "rider", "42"});
  EXPECT_EQ(value::parse(shown.out).at("birthyear").as_integer(), 1990);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--db", db_, "rider", "42", "--max-hr", "20"},
        {"--db", db_, "rider", "42", "--ftp", "x"},
        {"--db", db_, "rider"}}) {
    const test::ProgramRun run = test::RunProgram(VEL_RIDES_EXE, bad);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(bad);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(value::parse(test::RunProgram(VEL_RIDES_EXE, {"--db", db_, "rider", "42"}).out)
                .at("ftp")
                .as_integer(),
            250)
      << "a refused setting keeps the kept ones";
}

TEST_F(VelRidesToolTest, BadCommandsAMissingStoreAndAnUnknownRideEndWithStatusTwo) {
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"list"},
        {"--db", db_},
        {"--db", db_, "show"},
        {"--db", db_, "show", "x"},
        {"--db", db_, "export", "--format", "gpx", "--out", "o"},
        {"--db", db_, "list", "--format", "fit"},
        {"--db", db_, "show", "999"},
        {"--db", (folder_ / "none.db").string(), "list"}}) {
    const test::ProgramRun run = test::RunProgram(VEL_RIDES_EXE, bad);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(bad);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_FALSE(fs::exists(folder_ / "none.db")) << "a missing store is not made";
}

// The monitor rides the demo team on a simulated stick and is killed: the
// next store that opens the file ends its rides with every sample it had
// committed before the kill.
TEST(VelMonitorRidesTest, RidesOfAKilledMonitorAreKeptByTheNextStart) {
  test::RunningCompanionServer server{{.demo = true, .patches = {}}};
  test::RecordingMessageBox messages;
  RequestExecutor executor(server.Config(), messages);
  const auto demo = test::SignInUser(server, executor, executor, companion::kDemoUser);
  const test::ScratchFolder folder;
  const fs::path file = folder / kRideStoreFile;
  test::ProgramSetup oneStick;
  oneStick.environment = {"VEL_ANT_SIM=1"};
  test::ChildProcess monitor(
      VEL_MONITOR_EXE,
      {"--server", server.AppUrl(), "--account", std::to_string(demo.accountId), "--all-riders",
       "--rides", file.string()},
      oneStick);
  ASSERT_TRUE(monitor.Started()) << monitor.Error();
  // Until a few seconds of all ten rides are stored.
  std::map<std::int64_t, std::int64_t> lastStored;
  ASSERT_TRUE(test::WaitUntil([&] {
    if (!fs::exists(file)) return false;
    RideStore reader(file);
    const auto rides = reader.List();
    if (rides.size() < 10) return false;
    lastStored.clear();
    for (const RideListing& ride : rides) {
      const auto stored = reader.Load(ride.id);
      if (!stored || stored->ride.samples.empty()) return false;
      lastStored[ride.id] = stored->ride.samples.back().offsetMs;
    }
    return std::all_of(lastStored.begin(), lastStored.end(),
                       [](const auto& ride) { return ride.second >= 3000; });
  })) << monitor.Err();
  monitor.Signal(SIGKILL);
  ASSERT_TRUE(monitor.WaitForEnd());

  RideStore next(file);
  EXPECT_EQ(next.CloseAbandonedRides(), 10);
  for (const auto& [id, offset] : lastStored) {
    const auto stored = next.Load(id);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->ride.recovered);
    EXPECT_GE(stored->ride.samples.back().offsetMs, offset) << "nothing committed is lost";
    EXPECT_EQ(stored->ride.spans.back().endMs, stored->ride.samples.back().offsetMs + 1000);
  }
  const auto listed = next.List();
  EXPECT_TRUE(
      std::none_of(listed.begin(), listed.end(), [](const RideListing& r) { return r.open; }));
}

}  // namespace
}  // namespace vel
