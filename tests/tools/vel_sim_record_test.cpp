#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "capture_replay.h"
#include "sim_recorder.h"
#include "support/ant_frames.h"
#include "support/read_file.h"
#include "support/run_program.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

using ::testing::HasSubstr;

std::vector<std::string> Args(std::initializer_list<const char*> a) { return {a.begin(), a.end()}; }

TEST(SimRecordOptionsTest, TakesASensorOfTheRoomSecondsAndAnOutput) {
  std::string error;
  auto o = ParseSimRecordOptions(Args({"--sensor", "120:12001", "--seconds", "2.5", "--out", "x"}),
                                 error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->deviceType, 120);
  EXPECT_EQ(o->deviceNumber, 12001);
  EXPECT_DOUBLE_EQ(o->seconds, 2.5);
  EXPECT_EQ(o->out, "x");
  for (const auto& bad :
       {Args({"--sensor", "99:1", "--out", "x"}), Args({"--sensor", "120", "--out", "x"}),
        Args({"--sensor", "120:70000", "--out", "x"}), Args({"--sensor", "120:1"}),
        Args({"--out", "x"}), Args({"--sensor", "120:1", "--out", "x", "--seconds", "0"}),
        Args({"--sensor", "120:1", "--out", "x", "--seconds", "nan"}),
        Args({"--sensor", "120:1", "--out", "x", "--seconds"}),
        Args({"--sensor", "120:1", "--out", "x", "extra"})}) {
    EXPECT_FALSE(ParseSimRecordOptions(bad, error));
    EXPECT_FALSE(error.empty());
  }
}

// What vel-replay --channel 0:120 prints for these bytes.
std::vector<std::string> Replay(const std::vector<std::uint8_t>& bytes,
                                std::vector<std::string>* errors = nullptr) {
  std::vector<std::string> out;
  std::vector<std::string> err;
  {
    CaptureReplay replay(
        {ChannelSpec{0, 120, 2.096f}}, false, [&](std::string_view l) { out.emplace_back(l); },
        [&](std::string_view l) { err.emplace_back(l); });
    replay.Feed(bytes.data(), bytes.size());
  }
  if (errors != nullptr) *errors = err;
  return out;
}

TEST(SimRecordTest, ARecordedStrapReplaysAsItsHeartRate) {
  SimRecordOptions options;
  options.deviceType = 120;
  options.deviceNumber = 12001;
  options.seconds = 10;
  std::string warning;
  const std::vector<std::uint8_t> bytes = RecordSimulatedSensor(options, warning);
  EXPECT_TRUE(warning.empty());
  std::vector<std::string> errors;
  const auto lines = Replay(bytes, &errors);
  EXPECT_TRUE(errors.empty());
  // About 40 messages in 10 s; the first four go to telling the strap's
  // kind, then one event each; the farewell comes last.
  ASSERT_GE(lines.size(), 35u);
  EXPECT_LE(lines.size(), 38u);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    EXPECT_THAT(lines[i], HasSubstr(R"("header":0,"uiid":0,"devicetype":120,"graphid":0,"bpm":)"));
    const int bpm = std::stoi(lines[i].substr(lines[i].find("\"bpm\":") + 6));
    EXPECT_GT(bpm, 55);
    EXPECT_LT(bpm, 130);
  }
  EXPECT_THAT(lines.back(), HasSubstr(R"("bpm":-1)"));
}

TEST(SimRecordTest, ASensorThatIsNotInTheRoomRecordsTheSearchTimeOut) {
  SimRecordOptions options;
  options.deviceType = 120;
  options.deviceNumber = 999;
  options.seconds = 31;
  std::string warning;
  const std::vector<std::uint8_t> bytes = RecordSimulatedSensor(options, warning);
  EXPECT_THAT(warning, HasSubstr("no sensor"));
  const auto search = test::Frame(0x40, {0, 1, 1});
  const auto closed = test::Frame(0x40, {0, 1, 7});
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), search.begin(), search.end()), bytes.end());
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), closed.begin(), closed.end()), bytes.end());
  EXPECT_THAT(Replay(bytes), ::testing::ElementsAre(HasSubstr(R"("bpm":-1)")));
}

// The built tools, end to end: record a strap to a file, decode the file.
TEST(SimRecordTest, TheToolWritesAFileThatDecodes) {
  const test::ScratchFolder scratch;
  const auto file = scratch / "strap.bin";
  const test::ProgramRun run = test::RunProgram(
      VEL_SIM_RECORD_EXE, {"--sensor", "120:12002", "--seconds", "5", "--out", file.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto lines = Replay(test::ReadFileBytes(file));
  EXPECT_GE(lines.size(), 15u);

  EXPECT_EQ(test::RunProgram(VEL_SIM_RECORD_EXE, {"--sensor", "7:1", "--out", "x"}).status, 2);
}

}  // namespace
}  // namespace vel
