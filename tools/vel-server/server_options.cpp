#include "server_options.h"

#include <cstdlib>

#include "store_database.h"

namespace vel::companion {

const char kServerUsage[] =
    "usage: vel-server [--app HOST:PORT] [--patch HOST:PORT] [--sign-in HOST:PORT]\n"
    "                  [--database sqlite:PATH|postgresql://...] [--import sqlite:PATH]\n"
    "                  [--strict] [--patches DIR] [--demo] [--help]\n"
    "\n"
    "The companion server of VEL in one process:\n"
    "  --app HOST:PORT      application server (sealed packets)   default 127.0.0.1:3000\n"
    "  --patch HOST:PORT    patch server (update list, archives)  default 127.0.0.1:1337\n"
    "  --sign-in HOST:PORT  development sign-in (OAuth dialog, token check)\n"
    "                                                             default 127.0.0.1:3001\n"
    "  --database sqlite:PATH | postgresql://USER@HOST:PORT/NAME\n"
    "                       the database, SQLite created on first start;\n"
    "                       several servers may share one PostgreSQL  default "
    "sqlite:./vel-server.db\n"
    "  --db FILE            the same as --database sqlite:FILE\n"
    "  --import sqlite:PATH copy a SQLite database into the empty --database first\n"
    "  --strict             refuse requests without the session key of the account\n"
    "                       that owns what they name (the key comes with the sign-in)\n"
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
    if (arg == "--demo" || arg == "--strict") {
      (arg == "--demo" ? options.demo : options.strict) = true;
      continue;
    }
    std::string* address = arg == "--app"       ? &options.appAddress
                           : arg == "--patch"   ? &options.patchAddress
                           : arg == "--sign-in" ? &options.signInAddress
                                                : nullptr;
    const bool path =
        arg == "--db" || arg == "--database" || arg == "--import" || arg == "--patches";
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
      options.database = "sqlite:" + given;
    } else if (arg == "--database") {
      if (!PostgresSpec(given) && !given.starts_with("sqlite:")) {
        error = "--database: not sqlite:PATH or postgresql://...: " + given;
        return std::nullopt;
      }
      options.database = given;
    } else if (arg == "--import") {
      if (!given.starts_with("sqlite:") || given.size() == 7) {
        error = "--import: not sqlite:PATH: " + given;
        return std::nullopt;
      }
      options.importFrom = given;
    } else {
      options.patches = given;
    }
  }
  if (!options.importFrom.empty() && !PostgresSpec(options.database)) {
    error = "--import needs --database postgresql://...";
    return std::nullopt;
  }
  return options;
}

}  // namespace vel::companion
