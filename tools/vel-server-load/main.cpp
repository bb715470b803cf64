// vel-server-load: many program clients at once against vel-server, then a
// check that nothing acknowledged was lost. See README "Companion server".
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

#include "load_run.h"
#include "vel-server/companion_server.h"

namespace {

constexpr char kUsage[] =
    "usage: vel-server-load [--url http://HOST:PORT] [--clients N] [--requests M]\n"
    "  N clients (default 8) send M sealed requests each (default 500) to the\n"
    "  application server at URL, or to one started here on free ports with a\n"
    "  temporary database, then check that nothing acknowledged was lost.\n";

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  if (fd >= 0) ::close(fd);
  if (!ok) throw std::runtime_error("no free port");
  return ntohs(address.sin_port);
}

bool ParseCount(const char* text, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > 100000) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  vel::LoadOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--url" && hasValue) {
      options.url = argv[++i];
    } else if (arg == "--clients" && hasValue && ParseCount(argv[i + 1], options.clients)) {
      ++i;
    } else if (arg == "--requests" && hasValue && ParseCount(argv[i + 1], options.requests)) {
      ++i;
    } else {
      std::fprintf(stderr, "vel-server-load: bad option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }

  namespace fs = std::filesystem;
  std::unique_ptr<vel::companion::CompanionServer> server;
  fs::path folder;
  try {
    if (options.url.empty()) {
      std::string pattern = (fs::temp_directory_path() / "vel-server-load-XXXXXX").string();
      if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
      folder = pattern;
      vel::companion::ServerOptions serverOptions;
      serverOptions.appAddress = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
      serverOptions.patchAddress = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
      serverOptions.signInAddress = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
      serverOptions.database = folder / "load.db";
      serverOptions.patches = folder / "patches";
      server = std::make_unique<vel::companion::CompanionServer>(serverOptions, nullptr);
      server->Start();
      options.url = server->AppUrl();
    }
    std::printf("vel-server-load: %d clients x %d requests against %s\n", options.clients,
                options.requests, options.url.c_str());
    std::fflush(stdout);
    const vel::LoadResult result = vel::RunLoad(options);
    std::printf("requests      %ld in %.2f s: %.0f requests/s\n", result.requests, result.seconds,
                static_cast<double>(result.requests) / result.seconds);
    std::printf("latency       p50 %.2f ms, p99 %.2f ms\n", result.p50Ms, result.p99Ms);
    std::printf("refused       %ld, broken exchanges %ld\n", result.refused, result.broken);
    std::printf("lost          %ld%s%s\n", result.lost, result.lost > 0 ? ", first: " : "",
                result.firstLoss.c_str());
    if (server) server->Stop();
    if (!folder.empty()) fs::remove_all(folder);
    return result.lost == 0 && result.refused == 0 && result.broken == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vel-server-load: %s\n", error.what());
    if (server) server->Stop();
    if (!folder.empty()) fs::remove_all(folder);
    return 1;
  }
}
