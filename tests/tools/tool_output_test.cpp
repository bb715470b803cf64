// What vel-replay and vel-sim-record print, compared byte for byte with the
// outputs kept in tests/data/tool_output: on the recordings of real sensors
// and on recordings of the simulated room. The boot-clock tick of each
// event and the time stamp of each log line are the only parts of a run
// that change from run to run; they are blanked before comparing.
//
// After a change that is meant to change these outputs, run the test with
// VEL_UPDATE_TOOL_OUTPUT=1 to write the new ones, and look at the diff.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/ant_frames.h"
#include "support/read_file.h"
#include "support/run_program.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

const std::string kKept = std::string(VEL_SOURCE_DIR) + "/tests/data/tool_output/";

// "YYYY/MM/DD-hh:mm:ss > " at the start of a line.
bool StampAt(const std::string& text, std::size_t at) {
  static const std::string kShape = "0000/00/00-00:00:00 > ";
  if (text.size() < at + kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const char c = text[at + i];
    if (kShape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(c)) : c != kShape[i])
      return false;
  }
  return true;
}

std::string Blanked(const std::string& output) {
  static const std::string kTick = "\"tick\":";
  std::string blanked;
  for (std::size_t i = 0; i < output.size();) {
    if ((i == 0 || output[i - 1] == '\n') && StampAt(output, i)) {
      blanked += "TIME > ";
      i += 22;
    } else if (output.compare(i, kTick.size(), kTick) == 0) {
      blanked += kTick + "T";
      i += kTick.size();
      while (i < output.size() && std::isdigit(static_cast<unsigned char>(output[i]))) ++i;
    } else {
      blanked += output[i++];
    }
  }
  return blanked;
}

// Compares with the kept output, or keeps this one when asked to.
void ExpectKept(const std::string& name, const std::string& output) {
  if (std::getenv("VEL_UPDATE_TOOL_OUTPUT") != nullptr) {
    std::ofstream(kKept + name, std::ios::binary) << output;
    return;
  }
  const std::string kept = test::ReadFile(kKept + name);
  ASSERT_FALSE(kept.empty()) << name << " is missing";
  EXPECT_TRUE(output == kept) << name << " differs from the kept output";
}

std::string Replay(const std::vector<std::string>& arguments) {
  const test::ProgramRun run = test::RunProgram(VEL_REPLAY_EXE, arguments);
  EXPECT_EQ(run.status, 0) << run.err;
  return Blanked(run.out);
}

TEST(ToolOutputTest, ReplaysOfRealRecordingsAreUnchanged) {
  for (const std::string capture : {"antgo_123", "antgo_456", "antgo_789"}) {
    ExpectKept("replay_log_" + capture + ".txt",
               Replay({"--log", "--channel", "0:11:2.105", "--channel", "0:121:2.105",
                       test::CaptureFile(capture + ".cap")}));
  }
  // The strap's payloads, framed on channel 0 as a stick sends them.
  const test::ScratchFolder scratch;
  std::vector<std::uint8_t> bytes;
  for (const auto& payload : test::ReadPayloadLines(test::CaptureFile("njcant_hrm1.txt"))) {
    const std::vector<std::uint8_t> frame = test::BroadcastFrame(0, payload);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  std::ofstream(scratch / "strap.raw", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  ExpectKept("replay_log_njcant_hrm1.txt",
             Replay({"--log", "--channel", "0:120", (scratch / "strap.raw").string()}));
}

TEST(ToolOutputTest, RecordingsOfTheSimulatedRoomAndTheirReplaysAreUnchanged) {
  const test::ScratchFolder scratch;
  for (const std::string sensor : {"11:1101", "120:12003", "121:12101", "122:12205", "123:12305"}) {
    const std::string type = sensor.substr(0, sensor.find(':'));
    const std::string name = "sim_" + type + "_" + sensor.substr(sensor.find(':') + 1);
    const std::string recording = (scratch / (name + ".bin")).string();
    const test::ProgramRun run = test::RunProgram(
        VEL_SIM_RECORD_EXE, {"--sensor", sensor, "--seconds", "30", "--out", recording});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectKept(name + ".bin", test::ReadFile(recording));
    ExpectKept("replay_" + name + ".txt", Replay({"--log", "--channel", "0:" + type, recording}));
  }
}

}  // namespace
}  // namespace vel
