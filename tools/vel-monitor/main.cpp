// vel-monitor: watch a room without the windows. Opens every stick as the
// program does and prints one JSON line per change of a rider panel.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "room_monitor.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kUsage =
    "usage: vel-monitor [--sensor PANEL:TYPE:NUMBER ...] [--server URL --account ID "
    "--rider PANEL:MEMBER_ID ... | --all-riders] [--seconds S] [--log]";

std::atomic<bool> g_stop{false};

void OnStopSignal(int) { g_stop.store(true); }

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = vel::tools::Arguments(argc, argv);
  if (vel::tools::AnsweredHelp(args, kUsage)) return 0;
  std::string error;
  const auto options = vel::ParseMonitorOptions(args, error);
  if (!options) return vel::tools::Fail("vel-monitor", error + " (see --help)");
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);

  vel::RoomMonitor monitor(*options, [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  });
  if (!monitor.Start(vel::ReceiverSettings::FromEnvironment(), error)) {
    std::fprintf(stderr, "vel-monitor: %s\n", error.c_str());
    return 1;
  }
  monitor.Run(g_stop);
  return 0;
}
