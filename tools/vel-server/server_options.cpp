#include "server_options.h"

#include <cstdlib>

namespace vel::companion {

const char kServerUsage[] =
    "usage: vel-server [--app HOST:PORT] [--patch HOST:PORT] [--sign-in HOST:PORT]\n"
    "                  [--db FILE] [--patches DIR] [--demo] [--help]\n"
    "\n"
    "The companion server of VEL in one process:\n"
    "  --app HOST:PORT      application server (sealed packets)   default 127.0.0.1:3000\n"
    "  --patch HOST:PORT    patch server (update list, archives)  default 127.0.0.1:1337\n"
    "  --sign-in HOST:PORT  development sign-in (OAuth dialog, token check)\n"
    "                                                             default 127.0.0.1:3001\n"
    "  --db FILE            database, created on first start      default ./vel-server.db\n"
    "  --patches DIR        numbered version folders of archives  default ./patches\n"
    "  --demo               seed the demo team of the sign-in user \"demo\" (once)\n"
    "  --help               this text\n"
    "\n"
    "One line per request on standard output. SIGINT or SIGTERM stops it.";

std::optional<std::string> ListenUrl(const std::string& address) {
  std::string rest = address;
  if (rest.starts_with("http://")) rest = rest.substr(7);
  while (rest.ends_with('/')) rest.pop_back();
  const auto colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) return std::nullopt;
  const std::string host = rest.substr(0, colon);
  const std::string port = rest.substr(colon + 1);
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const long number = std::strtol(port.c_str(), nullptr, 10);
  if (number < 1 || number > 65535) return std::nullopt;
  if (host.find_first_of("/?#@ ") != std::string::npos) return std::nullopt;
  return "http://" + host + ":" + port;
}

std::optional<ServerOptions> ParseServerOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  ServerOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--demo") {
      options.demo = true;
      continue;
    }
    std::string* address = arg == "--app"       ? &options.appAddress
                           : arg == "--patch"   ? &options.patchAddress
                           : arg == "--sign-in" ? &options.signInAddress
                                                : nullptr;
    const bool path = arg == "--db" || arg == "--patches";
    if (address == nullptr && !path) {
      error = "unknown option " + arg;
      return std::nullopt;
    }
    if (i + 1 == args.size() || args[i + 1].empty()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    const std::string& given = args[++i];
    if (address != nullptr) {
      if (!ListenUrl(given)) {
        error = arg + ": not HOST:PORT: " + given;
        return std::nullopt;
      }
      *address = given;
    } else if (arg == "--db") {
      options.database = given;
    } else {
      options.patches = given;
    }
  }
  return options;
}

}  // namespace vel::companion
