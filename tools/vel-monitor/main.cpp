// vel-monitor: watch a room without the windows. Opens every stick as the
// program does and prints one JSON line per change of a rider panel.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "room_monitor.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kTool = "vel-monitor";

constexpr const char* kUsage =
    "usage: vel-monitor [--sensor PANEL:TYPE:NUMBER ...] [--server URL --account ID "
    "--rider PANEL:MEMBER_ID ... | --all-riders] [--rides FILE] [--seconds S] [--log]";

std::atomic<bool> g_stop{false};

void OnStopSignal(int) { g_stop.store(true); }

int Monitor(const vel::MonitorOptions& options) {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);

  vel::RoomMonitor monitor(options, [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  });
  std::string error;
  if (!monitor.Start(vel::ReceiverSettings::FromEnvironment(), error)) {
    vel::tools::Tell(kTool, error);
    return 1;
  }
  monitor.Run(g_stop);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return vel::tools::RunWithOptions(argc, argv, kTool, kUsage, vel::ParseMonitorOptions, Monitor);
}
