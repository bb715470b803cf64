// The updater's restart cycle with real processes: a stand-in for the
// program (updater_test_program, built at two versions) is started in a
// program directory and restarts itself through the real updater until a
// run goes on; each run leaves its lines in runs.log beside it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

#include "server/updater.h"
#include "support/child_process.h"
#include "support/patch_server.h"
#include "support/read_file.h"
#include "support/scratch_folder.h"
#include "support/wait_until.h"
#include "support/zip_writer.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The patch server the cycle runs against.
using TestPatchServer = test::PatchServer;

constexpr auto kCycleBound = std::chrono::seconds(60);

struct ProgramRun {
  pid_t pid = 0;
  std::string exe;
  std::vector<std::string> arguments;
  std::string version;
  std::string outcome;  // "ends", "goes-on", or empty while it runs
  std::vector<std::string> messages;
};

std::vector<ProgramRun> ParseRuns(const std::string& log) {
  std::vector<ProgramRun> runs;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string kind;
    pid_t pid = 0;
    words >> kind >> pid;
    if (kind == "start") {
      ProgramRun run;
      run.pid = pid;
      words >> run.exe;
      for (std::string word; words >> word;) run.arguments.push_back(word);
      runs.push_back(run);
      continue;
    }
    for (ProgramRun& run : runs) {
      if (run.pid != pid) continue;
      if (kind == "end") words >> run.version >> run.outcome;
      if (kind == "message") {
        std::string text;
        std::getline(words >> std::ws, text);
        run.messages.push_back(text);
      }
    }
  }
  return runs;
}

bool Ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  const auto close = text.rfind(')');
  return text.empty() || (close != std::string::npos && text.substr(close + 2, 1) == "Z");
}

class UpdaterCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_ = root_ / "program");
    fs::create_directories(releases_ = root_ / "releases");
    fs::copy_file(VEL_UPDATER_TEST_PROGRAM, program_ / "vel");
    server_ = std::make_unique<TestPatchServer>(releases_);
  }

  // Starts the program as a user would (no arguments, in its directory)
  // and waits, within a bound, for a run that goes on and for every run to
  // have ended. Runs still alive at the bound are killed.
  std::vector<ProgramRun> StartAndWaitForTheCycle() {
    test::ProgramSetup setup;
    setup.environment = {"VEL_PATCH_URL=" + server_->Url()};
    setup.workingDirectory = program_;
    test::ChildProcess first((program_ / "vel").string(), {}, setup);
    if (!first.Started()) {
      ADD_FAILURE() << first.Error();
      return {};
    }
    std::vector<ProgramRun> runs;
    const bool cycled = test::WaitUntil(
        [&] {
          runs = ParseRuns(ReadFile(program_ / "runs.log"));
          // A run that died wrote no end; its process is gone all the same.
          const bool wentOn = std::any_of(
              runs.begin(), runs.end(), [](const ProgramRun& r) { return r.outcome == "goes-on"; });
          const bool allEnded = std::all_of(runs.begin(), runs.end(),
                                            [](const ProgramRun& r) { return Ended(r.pid); });
          return first.Ended() && wentOn && allEnded;
        },
        kCycleBound);
    if (cycled) return runs;
    ADD_FAILURE() << "the cycle did not end within the bound:\n" << ReadFile(program_ / "runs.log");
    for (const ProgramRun& run : runs) {
      if (!Ended(run.pid)) ::kill(run.pid, SIGKILL);
    }
    return runs;
  }

  std::vector<std::string> Asked() const {
    std::vector<std::string> asked;
    for (const auto& request : server_->Received()) asked.push_back(request.pathAndQuery);
    return asked;
  }

  test::ScratchFolder root_;
  fs::path program_, releases_;
  std::unique_ptr<TestPatchServer> server_;
};

TEST_F(UpdaterCycleTest, ANewExecutableTakesFourRuns) {
  const std::string next = ReadFile(VEL_UPDATER_TEST_PROGRAM_NEXT);
  test::WriteZip(releases_ / "201902180" / "update.zip",
                 {{"vel", next, 0100755}, {"data.txt", "v2"}});
  const std::vector<ProgramRun> runs = StartAndWaitForTheCycle();
  ASSERT_EQ(runs.size(), 4u) << ReadFile(program_ / "runs.log");
  const std::string vel = (program_ / "vel").string();
  const std::string staged = vel + "_";
  // 1: the old program updates, stages the new one and starts it with "N".
  EXPECT_EQ(runs[0].exe, vel);
  EXPECT_THAT(runs[0].arguments, IsEmpty());
  EXPECT_EQ(runs[0].version, "201902170");
  EXPECT_EQ(runs[0].outcome, "ends");
  // 2: the staged copy puts itself in place and starts it without "N".
  EXPECT_EQ(runs[1].exe, staged);
  EXPECT_THAT(runs[1].arguments, ElementsAre("N"));
  EXPECT_EQ(runs[1].version, "201902180");
  EXPECT_EQ(runs[1].outcome, "ends");
  // 3: the new program deletes the staged copy, finds nothing newer and
  // restarts with "N".
  EXPECT_EQ(runs[2].exe, vel);
  EXPECT_THAT(runs[2].arguments, IsEmpty());
  EXPECT_EQ(runs[2].version, "201902180");
  EXPECT_EQ(runs[2].outcome, "ends");
  // 4: goes on.
  EXPECT_EQ(runs[3].exe, vel);
  EXPECT_THAT(runs[3].arguments, ElementsAre("N"));
  EXPECT_EQ(runs[3].outcome, "goes-on");
  for (const ProgramRun& run : runs) EXPECT_THAT(run.messages, IsEmpty()) << run.exe;

  EXPECT_EQ(ReadFile(program_ / "vel"), next);
  EXPECT_EQ(fs::status(program_ / "vel").permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);
  EXPECT_EQ(ReadFile(program_ / "data.txt"), "v2");
  EXPECT_FALSE(fs::exists(program_ / "vel_"));
  EXPECT_FALSE(fs::exists(program_ / "patch"));
  const auto asked = Asked();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0], "/?version=201902170");
  EXPECT_EQ(asked[2], "/?version=201902180");
}

TEST_F(UpdaterCycleTest, ANewExecutablePackedWithoutItsExecuteBitsStillTakesOver) {
  const std::string next = ReadFile(VEL_UPDATER_TEST_PROGRAM_NEXT);
  test::WriteZip(releases_ / "201902180" / "update.zip", {{"vel", next, 0100644}});
  const std::vector<ProgramRun> runs = StartAndWaitForTheCycle();
  ASSERT_EQ(runs.size(), 4u) << ReadFile(program_ / "runs.log");
  EXPECT_EQ(runs[1].version, "201902180") << "the staged copy started";
  EXPECT_EQ(runs[3].version, "201902180");
  EXPECT_EQ(runs[3].outcome, "goes-on");
  EXPECT_EQ(ReadFile(program_ / "vel"), next);
  EXPECT_EQ(Asked().size(), 3u) << "the update was downloaded once";
}

TEST_F(UpdaterCycleTest, WithoutANewExecutableTheSecondRunGoesOn) {
  test::WriteZip(releases_ / "201902180" / "update.zip", {{"data.txt", "v2"}});
  const std::vector<ProgramRun> runs = StartAndWaitForTheCycle();
  ASSERT_EQ(runs.size(), 2u) << ReadFile(program_ / "runs.log");
  EXPECT_THAT(runs[0].arguments, IsEmpty());
  EXPECT_EQ(runs[0].outcome, "ends");
  EXPECT_EQ(runs[1].exe, (program_ / "vel").string()) << "the staged start failed";
  EXPECT_THAT(runs[1].arguments, ElementsAre("N"));
  EXPECT_EQ(runs[1].outcome, "goes-on");
  EXPECT_EQ(ReadFile(program_ / "data.txt"), "v2");
  EXPECT_EQ(ReadFile(program_ / "vel"), ReadFile(VEL_UPDATER_TEST_PROGRAM));
  EXPECT_THAT(Asked(), ElementsAre("/?version=201902170", testing::StartsWith("/test?file=")));
}

// A new program that dies before it takes over (a library that does not
// load ends it with 127), and one that takes over and then crashes: either
// way the old program goes on, once, and the next start signs in without
// fetching that release again.
TEST_F(UpdaterCycleTest, ANewProgramThatDiesAtItsStartLeavesTheOldOneRunning) {
  const std::string old = ReadFile(program_ / "vel");
  const std::string diesAtOnce = "#!/bin/sh\nexit 127\n";
  for (const std::string& next : {diesAtOnce, ReadFile(VEL_UPDATER_TEST_PROGRAM_CRASHING)}) {
    SCOPED_TRACE(next == diesAtOnce ? "exits with 127" : "crashes after it took over");
    fs::remove_all(releases_ / "201902180");
    fs::remove(program_ / kFailedReleaseFile);
    fs::remove(program_ / "runs.log");
    test::WriteZip(releases_ / "201902180" / "update.zip",
                   {{"vel", next, 0100755}, {"data.txt", "v2"}});
    std::vector<ProgramRun> runs = StartAndWaitForTheCycle();
    std::vector<ProgramRun> own;
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(own),
                 [](const ProgramRun& r) { return r.version == "201902170"; });
    ASSERT_EQ(own.size(), 1u) << ReadFile(program_ / "runs.log");
    EXPECT_THAT(own[0].arguments, IsEmpty());
    EXPECT_EQ(own[0].outcome, "goes-on") << "the old program signs in itself";
    EXPECT_THAT(own[0].messages,
                ElementsAre("새 버전의 프로그램을 시작하지 못했습니다. 이전 버전으로 계속합니다."));
    EXPECT_EQ(ReadFile(program_ / "vel"), old);
    EXPECT_FALSE(fs::exists(program_ / "vel_"));
    EXPECT_EQ(ReadFile(program_ / kFailedReleaseFile), "201902180\n");

    fs::remove(program_ / "runs.log");
    const std::size_t askedBefore = Asked().size();
    runs = StartAndWaitForTheCycle();
    ASSERT_EQ(runs.size(), 1u) << ReadFile(program_ / "runs.log");
    EXPECT_EQ(runs[0].outcome, "goes-on") << "the next start signs in";
    EXPECT_THAT(runs[0].messages, IsEmpty());
    const std::vector<std::string> asked = Asked();
    EXPECT_THAT(std::vector<std::string>(asked.begin() + askedBefore, asked.end()),
                ElementsAre("/?version=201902170"))
        << "and fetches nothing";
  }
}

// A kill in the middle of a copy leaves its temporary file; the next start
// clears it.
TEST_F(UpdaterCycleTest, CopiesCutOffByAKillAreClearedAtTheNextStart) {
  std::ofstream(program_ / ".vel-update-aB3dE9") << "half a program";
  const std::vector<ProgramRun> runs = StartAndWaitForTheCycle();
  ASSERT_EQ(runs.size(), 2u) << ReadFile(program_ / "runs.log");
  EXPECT_FALSE(fs::exists(program_ / ".vel-update-aB3dE9"));
}

}  // namespace
}  // namespace vel
