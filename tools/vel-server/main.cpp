// vel-server: the companion server of VEL (application server, patch server
// and development sign-in) in one process. See README "Companion server".
#include <signal.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "companion_server.h"
#include "server/http_threads.h"
#include "server_options.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kTool = "vel-server";
// The listeners' threads only move bytes; the workers and the writer make
// the answers.
constexpr std::size_t kHttpThreads = 2;

void WriteLine(const std::string& line) {
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = vel::tools::Arguments(argc, argv);
  if (vel::tools::AnsweredHelp(args, vel::companion::kServerUsage)) return 0;
  std::string error;
  const auto options = vel::companion::ParseServerOptions(args, error);
  if (!options) return vel::tools::Fail(kTool, error + " (see --help)");
  vel::UseHttpThreads(kHttpThreads);

  // The stop signals are taken here, by sigwait, and nowhere else: they are
  // blocked before the HTTP library starts its threads, which inherit the
  // mask. A client that disconnects must not end the process either.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  signal(SIGPIPE, SIG_IGN);

  vel::companion::CompanionServer server(*options, WriteLine);
  try {
    server.Start();
  } catch (const std::exception& failure) {
    // Status 1, not 2: the command line was fine, the start was not.
    std::fprintf(stderr, "%s: %s\n", kTool, failure.what());
    return 1;
  }
  int received = 0;
  sigwait(&stops, &received);
  WriteLine(std::string(kTool) + ": " + (received == SIGINT ? "SIGINT" : "SIGTERM") + ", stopping");
  server.Stop();
  return 0;
}
