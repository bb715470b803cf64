// vel-server-load: many program clients at once against vel-server, then a
// check that nothing acknowledged was lost. See README "Companion server".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "load_run.h"
#include "machine_share.h"
#include "server/http_threads.h"
#include "server_process.h"
#include "tools/common/command_line.h"
#include "vel-server/companion_server.h"

namespace {

constexpr const char* kTool = "vel-server-load";
// One thread carries every client's exchanges while the clients wait on
// their own threads: the load costs the machine least, and leaves the most
// of it to the server.
constexpr std::size_t kHttpThreads = 1;
constexpr int kFsyncRounds = 50;

// Processor time per request, what the rest of the machine took meanwhile,
// and the disk's fsync: a rate is read against these. `serverKnown` when the
// server's time is counted (a process of ours, or in-process, where it is
// part of the load's).
void PrintMachineShare(const vel::CpuTimes& spent, long requests, bool serverKnown,
                       std::optional<double> fsyncMs) {
  if (requests <= 0 || spent.machineAll <= 0) return;
  const double perRequestUs = 1e6 / static_cast<double>(requests);
  const double others = std::max(0.0, spent.machineBusy - spent.server - spent.load);
  if (serverKnown && spent.server > 0) {
    std::printf("cpu           server %.0f us, load %.0f us per request",
                spent.server * perRequestUs, spent.load * perRequestUs);
  } else {
    std::printf("cpu           load %.0f us per request", spent.load * perRequestUs);
  }
  std::printf("; other processes %.0f %% of the cores, stolen by the host %.0f %%\n",
              100 * (serverKnown ? others : 0) / spent.machineAll,
              100 * spent.stolen / spent.machineAll);
  if (fsyncMs) std::printf("fsync         p50 %.2f ms in the database's folder\n", *fsyncMs);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = vel::tools::Arguments(argc, argv);
  if (vel::tools::AnsweredHelp(args, vel::kLoadUsage)) return 0;
  std::string error;
  const auto parsed = vel::ParseLoadOptions(args, error);
  if (!parsed) return vel::tools::Fail(kTool, error + " (see --help)");
  vel::LoadOptions options = *parsed;
  vel::UseHttpThreads(kHttpThreads);

  namespace fs = std::filesystem;
  std::unique_ptr<vel::companion::CompanionServer> server;
  std::unique_ptr<vel::ServerProcess> process;
  fs::path folder;
  const auto cleanUp = [&] {
    if (server) server->Stop();
    process.reset();
    if (!folder.empty()) fs::remove_all(folder);
  };
  try {
    std::string url = options.url;
    if (url.empty()) {
      std::string pattern = (fs::temp_directory_path() / "vel-server-load-XXXXXX").string();
      if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
      folder = pattern;
    }
    if (!options.server.empty()) {
      process = std::make_unique<vel::ServerProcess>(options.server, folder);
      process->Start();
      url = process->AppUrl();
    } else if (url.empty()) {
      vel::companion::ServerOptions serverOptions;
      const std::vector<int> ports = vel::FreeLoopbackPorts(3);
      serverOptions.appAddress = "127.0.0.1:" + std::to_string(ports[0]);
      serverOptions.patchAddress = "127.0.0.1:" + std::to_string(ports[1]);
      serverOptions.signInAddress = "127.0.0.1:" + std::to_string(ports[2]);
      serverOptions.database = (folder / "load.db").string();
      serverOptions.patches = folder / "patches";
      server = std::make_unique<vel::companion::CompanionServer>(serverOptions, nullptr);
      server->Start();
      url = server->AppUrl();
    }
    std::printf("%s: %d clients x %d requests against %s\n", kTool, options.clients,
                options.requests, url.c_str());
    std::fflush(stdout);
    const vel::ServerKill kill{[&process] { process->Kill(); },
                               [&process] {
                                 process->Start();
                                 return process->AppUrl();
                               }};
    const bool killing = options.killAfter > 0;
    // The figures the rate depends on besides the server itself.
    const std::optional<double> fsyncMs =
        folder.empty() ? std::nullopt : vel::FsyncMedianMs(folder, kFsyncRounds);
    const pid_t serverPid = process ? process->Pid() : -1;
    const vel::CpuTimes before = vel::TakeCpuTimes(serverPid);
    const vel::LoadResult result = vel::RunLoad(options, url, killing ? &kill : nullptr);
    const vel::CpuTimes spent = vel::CpuSpent(before, vel::TakeCpuTimes(killing ? -1 : serverPid));
    std::printf("requests      %ld in %.2f s: %.0f requests/s\n", result.requests, result.seconds,
                static_cast<double>(result.requests) / result.seconds);
    std::printf("latency       p50 %.2f ms, p99 %.2f ms\n", result.p50Ms, result.p99Ms);
    std::printf("refused       %ld, broken exchanges %ld\n", result.refused, result.broken);
    std::printf("lost          %ld of %ld acknowledged members, devices and bests%s%s\n",
                result.lost, result.checked, result.lost > 0 ? ", first: " : "",
                result.firstLoss.c_str());
    PrintMachineShare(spent, result.requests, !killing && (process || server), fsyncMs);
    bool good = result.lost == 0 && result.refused == 0;
    if (killing) {
      // Exchanges cut by the kill are expected; a kill before the count
      // was reached is not a check of it.
      const bool reached = result.killedAfter >= options.killAfter;
      good = good && reached;
      std::printf("SIGKILL after %ld acknowledged changes (%ld in all): %s\n", result.killedAfter,
                  result.acknowledged,
                  !reached ? "FAILED, the load ended before the kill was due"
                  : result.lost == 0
                      ? "passed, every acknowledged change is there after the restart"
                      : "FAILED, acknowledged changes are missing after the restart");
    } else {
      good = good && result.broken == 0;
    }
    cleanUp();
    return good ? 0 : 1;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s: %s\n", kTool, failure.what());
    cleanUp();
    return 1;
  }
}
