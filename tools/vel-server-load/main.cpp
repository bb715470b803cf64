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
#include <vector>

#include "load_run.h"
#include "tools/common/command_line.h"
#include "vel-server/companion_server.h"

namespace {

constexpr const char* kTool = "vel-server-load";

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool ok = fd >= 0 &&
                  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  if (fd >= 0) ::close(fd);
  if (!ok) throw std::runtime_error("no free port");
  return ntohs(address.sin_port);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = vel::tools::Arguments(argc, argv);
  if (vel::tools::AnsweredHelp(args, vel::kLoadUsage)) return 0;
  std::string error;
  const auto parsed = vel::ParseLoadOptions(args, error);
  if (!parsed) return vel::tools::Fail(kTool, error + " (see --help)");
  vel::LoadOptions options = *parsed;

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
    std::printf("%s: %d clients x %d requests against %s\n", kTool, options.clients,
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
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s: %s\n", kTool, failure.what());
    if (server) server->Stop();
    if (!folder.empty()) fs::remove_all(folder);
    return 1;
  }
}
