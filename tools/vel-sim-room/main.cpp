// vel-sim-room: the simulated room (ten riders and their sensors) with N
// simulated ANT sticks, each on a pseudo-terminal. Prints the line
// VEL_ANT_TTY=PATH:PATH... for vel and runs until it is stopped.
#include <signal.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "pty_room.h"
#include "tools/common/command_line.h"
#include "tools/common/parse_number.h"

namespace {

constexpr const char* kTool = "vel-sim-room";
constexpr const char* kUsage =
    "usage: vel-sim-room [--sticks N]\n"
    "  runs the simulated room with N sticks (1 to 10, default 4) on pseudo-terminals\n"
    "  and prints VEL_ANT_TTY=... for vel; SIGINT or SIGTERM ends it";

struct Options {
  int sticks = 4;
};

std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--sticks" && i + 1 < args.size()) {
      int n = 0;
      if (!vel::tools::ParseNumber(args[++i], n) || n < 1 ||
          n > vel::sim::VirtualRoom::kMaxSticks) {
        error = "--sticks takes 1 to 10";
        return std::nullopt;
      }
      options.sticks = n;
      continue;
    }
    error = "unknown argument '" + args[i] + "'";
    return std::nullopt;
  }
  return options;
}

vel::PtyRoom* running = nullptr;

void OnStopSignal(int) {
  if (running != nullptr) running->Stop();
}

int Run(const Options& options) {
  vel::PtyRoom room(
      std::make_shared<vel::sim::VirtualRoom>(std::make_shared<vel::sim::SteadySimClock>()));
  std::string error;
  if (!room.Open(options.sticks, error)) return vel::tools::Fail(kTool, error);
  std::string line = "VEL_ANT_TTY=";
  for (const std::string& path : room.Paths()) {
    if (line.back() != '=') line += ':';
    line += path;
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  running = &room;
  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);
  room.Run();
  running = nullptr;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return vel::tools::RunWithOptions(argc, argv, kTool, kUsage, Parse, Run);
}
