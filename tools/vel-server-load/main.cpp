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
  std::vector<std::unique_ptr<vel::ServerProcess>> processes;
  fs::path folder;
  const auto cleanUp = [&] {
    if (server) server->Stop();
    processes.clear();
    if (!folder.empty()) fs::remove_all(folder);
  };
  try {
    std::vector<std::string> urls = options.urls;
    if (urls.empty()) {
      std::string pattern = (fs::temp_directory_path() / "vel-server-load-XXXXXX").string();
      if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
      folder = pattern;
    }
    if (!options.server.empty()) {
      // A folder each for its log and patches; the database is shared.
      for (int i = 0; i < options.servers; ++i) {
        const fs::path own = folder / ("server-" + std::to_string(i + 1));
        fs::create_directories(own);
        processes.push_back(
            std::make_unique<vel::ServerProcess>(options.server, own, options.database));
        processes.back()->Start();
        urls.push_back(processes.back()->AppUrl());
      }
    } else if (urls.empty()) {
      vel::companion::ServerOptions serverOptions;
      const std::vector<int> ports = vel::FreeLoopbackPorts(3);
      serverOptions.appAddress = "127.0.0.1:" + std::to_string(ports[0]);
      serverOptions.patchAddress = "127.0.0.1:" + std::to_string(ports[1]);
      serverOptions.signInAddress = "127.0.0.1:" + std::to_string(ports[2]);
      serverOptions.database = (folder / "load.db").string();
      serverOptions.patches = folder / "patches";
      server = std::make_unique<vel::companion::CompanionServer>(serverOptions, nullptr);
      server->Start();
      urls.push_back(server->AppUrl());
    }
    std::string against;
    for (const std::string& url : urls) against += (against.empty() ? "" : ", ") + url;
    std::printf("%s: %d clients x %d requests against %s%s\n", kTool, options.clients,
                options.requests, against.c_str(),
                options.database.empty() ? "" : (" on " + options.database).c_str());
    std::fflush(stdout);
    // Of several servers the first is killed and the second answers the
    // check; one alone is started again.
    const vel::ServerKill kill{[&processes] { processes.front()->Kill(); },
                               [&processes] {
                                 if (processes.size() > 1) return processes[1]->AppUrl();
                                 processes.front()->Start();
                                 return processes.front()->AppUrl();
                               },
                               processes.size() > 1};
    const bool killing = options.killAfter > 0;
    // The figures the rate depends on besides the server itself.
    const std::optional<double> fsyncMs =
        folder.empty() ? std::nullopt : vel::FsyncMedianMs(folder, kFsyncRounds);
    std::vector<pid_t> serverPids;
    for (const auto& process : processes) serverPids.push_back(process->Pid());
    const vel::CpuTimes before = vel::TakeCpuTimes(serverPids);
    const vel::LoadResult result = vel::RunLoad(options, urls, killing ? &kill : nullptr);
    const vel::CpuTimes spent =
        vel::CpuSpent(before, vel::TakeCpuTimes(killing ? std::vector<pid_t>{} : serverPids));
    std::printf("requests      %ld in %.2f s: %.0f requests/s\n", result.requests, result.seconds,
                static_cast<double>(result.requests) / result.seconds);
    std::printf("latency       p50 %.2f ms, p99 %.2f ms\n", result.p50Ms, result.p99Ms);
    std::printf("refused       %ld, broken exchanges %ld\n", result.refused, result.broken);
    std::printf("lost          %ld of %ld acknowledged members, devices and bests%s%s\n",
                result.lost, result.checked, result.lost > 0 ? ", first: " : "",
                result.firstLoss.c_str());
    PrintMachineShare(spent, result.requests, !killing && (!processes.empty() || server), fsyncMs);
    bool good = result.lost == 0 && result.refused == 0;
    if (killing) {
      // Exchanges cut by the kill are expected; a kill before the count
      // was reached is not a check of it.
      // The servers not killed must have answered every exchange.
      const bool reached = result.killedAfter >= options.killAfter;
      const bool servedOn = result.brokenElsewhere == 0;
      good = good && reached && servedOn;
      const bool several = processes.size() > 1;
      std::printf("SIGKILL of %s after %ld acknowledged changes (%ld in all): %s\n",
                  several ? "the first server" : "the server", result.killedAfter,
                  result.acknowledged,
                  !reached          ? "FAILED, the load ended before the kill was due"
                  : !servedOn       ? "FAILED, the other servers broke exchanges"
                  : result.lost > 0 ? "FAILED, acknowledged changes are missing"
                  : several ? "passed, the others served on and every acknowledged change is there"
                            : "passed, every acknowledged change is there after the restart");
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
