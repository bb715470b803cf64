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

namespace {

constexpr const char* kUsage =
    "usage: vel-replay [--hex] [--log] --channel C:TYPE[:CIRCUMFERENCE_M] ... FILE|-";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vel-replay: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::puts(kUsage);
    return 0;
  }
  std::string error;
  const auto options = vel::ParseReplayOptions(args, error);
  if (!options) return Fail(error + " (see --help)");

  std::string raw;
  if (options->input == "-") {
    raw.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream file(options->input, std::ios::binary);
    if (!file) return Fail("cannot open '" + options->input + "'");
    raw.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) return Fail("cannot read '" + options->input + "'");
  }

  std::vector<std::uint8_t> bytes;
  if (options->hex) {
    auto parsed = vel::ParseHexBytes(raw, error);
    if (!parsed) return Fail(error);
    bytes = std::move(*parsed);
  } else {
    bytes.assign(raw.begin(), raw.end());
  }

  vel::CaptureReplay replay(
      options->channels, options->log,
      [](std::string_view line) { std::printf("%.*s\n", static_cast<int>(line.size()), line.data()); },
      [](std::string_view line) {
        std::fprintf(stderr, "vel-replay: %.*s\n", static_cast<int>(line.size()), line.data());
      });
  replay.Feed(bytes.data(), bytes.size());
  replay.Finish();
  return 0;
}
