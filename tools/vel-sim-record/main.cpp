// vel-sim-record: records what a simulated ANT stick sends for one sensor
// of the simulated room, in the raw form vel-replay reads.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sim_recorder.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kTool = "vel-sim-record";

constexpr const char* kUsage =
    "usage: vel-sim-record --sensor TYPE:NUMBER [--seconds S] --out FILE|-";

int Record(const vel::SimRecordOptions& options) {
  std::string warning;
  const std::vector<std::uint8_t> bytes = vel::RecordSimulatedSensor(options, warning);
  if (!warning.empty()) vel::tools::Tell(kTool, warning);
  if (bytes.empty()) return vel::tools::Fail(kTool, "the simulated stick could not be opened");

  const auto* data = reinterpret_cast<const char*>(bytes.data());
  if (options.out == "-") {
    if (std::fwrite(data, 1, bytes.size(), stdout) != bytes.size()) {
      return vel::tools::Fail(kTool, "cannot write");
    }
    return 0;
  }
  std::ofstream file(options.out, std::ios::binary | std::ios::trunc);
  if (!file) return vel::tools::Fail(kTool, "cannot open '" + options.out + "'");
  file.write(data, static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) return vel::tools::Fail(kTool, "cannot write '" + options.out + "'");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return vel::tools::RunWithOptions(argc, argv, kTool, kUsage, vel::ParseSimRecordOptions, Record);
}
