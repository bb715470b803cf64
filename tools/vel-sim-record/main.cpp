// vel-sim-record: records what a simulated ANT stick sends for one sensor
// of the simulated room, in the raw form vel-replay reads.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sim_recorder.h"

namespace {

constexpr const char* kUsage =
    "usage: vel-sim-record --sensor TYPE:NUMBER [--seconds S] --out FILE|-";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vel-sim-record: %s\n", message.c_str());
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
  const auto options = vel::ParseSimRecordOptions(args, error);
  if (!options) return Fail(error + "\n" + kUsage);

  std::string warning;
  const std::vector<std::uint8_t> bytes = vel::RecordSimulatedSensor(*options, warning);
  if (!warning.empty()) std::fprintf(stderr, "vel-sim-record: %s\n", warning.c_str());
  if (bytes.empty()) return Fail("the simulated stick could not be opened");

  const auto* data = reinterpret_cast<const char*>(bytes.data());
  if (options->out == "-") {
    if (std::fwrite(data, 1, bytes.size(), stdout) != bytes.size()) return Fail("cannot write");
    return 0;
  }
  std::ofstream file(options->out, std::ios::binary | std::ios::trunc);
  if (!file) return Fail("cannot open '" + options->out + "'");
  file.write(data, static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) return Fail("cannot write '" + options->out + "'");
  return 0;
}
