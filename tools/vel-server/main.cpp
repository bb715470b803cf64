// vel-server: the companion server of VEL (application server, patch server
// and development sign-in) in one process. See README "Companion server".
#include <signal.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "companion_server.h"
#include "server_options.h"

namespace {

void WriteLine(const std::string& line) {
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options =
      vel::companion::ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "vel-server: %s\n%s", error.c_str(), vel::companion::kServerUsage);
    return 2;
  }
  if (options->help) {
    std::fputs(vel::companion::kServerUsage, stdout);
    return 0;
  }

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
    std::fprintf(stderr, "vel-server: %s\n", failure.what());
    return 1;
  }
  int received = 0;
  sigwait(&stops, &received);
  WriteLine(std::string("vel-server: ") + (received == SIGINT ? "SIGINT" : "SIGTERM") +
            ", stopping");
  server.Stop();
  return 0;
}
