// vel-replay: decodes the raw bytes an ANT stick sent, for checking
// sensors in the field.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "capture_replay.h"
#include "replay_options.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kTool = "vel-replay";

constexpr const char* kUsage =
    "usage: vel-replay [--hex] [--log] --channel C:TYPE[:CIRCUMFERENCE_M] ... FILE|-";

int Replay(const vel::ReplayOptions& options) {
  std::string raw;
  if (options.input == "-") {
    raw.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream file(options.input, std::ios::binary);
    if (!file) return vel::tools::Fail(kTool, "cannot open '" + options.input + "'");
    raw.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) return vel::tools::Fail(kTool, "cannot read '" + options.input + "'");
  }

  std::vector<std::uint8_t> bytes;
  if (options.hex) {
    std::string error;
    auto parsed = vel::ParseHexBytes(raw, error);
    if (!parsed) return vel::tools::Fail(kTool, error);
    bytes = std::move(*parsed);
  } else {
    bytes.assign(raw.begin(), raw.end());
  }

  vel::CaptureReplay replay(
      options.channels, options.log,
      [](std::string_view line) {
        std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
      },
      [](std::string_view line) { vel::tools::Tell(kTool, line); });
  replay.Feed(bytes.data(), bytes.size());
  replay.Finish();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return vel::tools::RunWithOptions(argc, argv, kTool, kUsage, vel::ParseReplayOptions, Replay);
}
