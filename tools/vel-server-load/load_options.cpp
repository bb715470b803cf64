#include "load_options.h"

#include <cstdlib>

namespace vel {
namespace {

bool ParseCount(const std::string& text, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value < 1 || value > 100000) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

const char kLoadUsage[] =
    "usage: vel-server-load [--url http://HOST:PORT ... |\n"
    "                        --server VEL_SERVER [--servers S] [--database SPEC]\n"
    "                                            [--kill-after K]]\n"
    "                       [--clients N] [--requests M] [--socket-clients]\n"
    "  N clients (default 8) send M sealed requests each (default 500) to the\n"
    "  application server at URL, to the program VEL_SERVER started on free\n"
    "  ports with a fresh database, or to one started in-process, then check\n"
    "  that nothing acknowledged was lost. Clients are spread over several\n"
    "  --url in turn.\n"
    "  --servers S     start S servers of VEL_SERVER, all on --database SPEC\n"
    "                  (a postgresql://... one; vel-server --database).\n"
    "  --kill-after K  kill VEL_SERVER with SIGKILL once K changes were\n"
    "                  acknowledged, start it again on the same database and\n"
    "                  check that every acknowledged change is there. Of\n"
    "                  several servers the first is killed while the others\n"
    "                  serve on.\n"
    "  --socket-clients  each client sends over a blocking socket of its own\n"
    "                  instead of the program's executor, so that the load\n"
    "                  takes less of the machine.";

std::optional<LoadOptions> ParseLoadOptions(const std::vector<std::string>& args,
                                            std::string& error) {
  LoadOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--url" && hasValue) {
      options.urls.push_back(args[++i]);
    } else if (arg == "--servers" && hasValue && ParseCount(args[i + 1], options.servers)) {
      ++i;
    } else if (arg == "--database" && hasValue) {
      options.database = args[++i];
    } else if (arg == "--clients" && hasValue && ParseCount(args[i + 1], options.clients)) {
      ++i;
    } else if (arg == "--requests" && hasValue && ParseCount(args[i + 1], options.requests)) {
      ++i;
    } else if (arg == "--server" && hasValue) {
      options.server = args[++i];
    } else if (arg == "--kill-after" && hasValue && ParseCount(args[i + 1], options.killAfter)) {
      ++i;
    } else if (arg == "--socket-clients") {
      options.socketClients = true;
    } else {
      error = "bad option " + arg;
      return std::nullopt;
    }
  }
  if (!options.urls.empty() && !options.server.empty()) {
    error = "--url and --server name two servers";
    return std::nullopt;
  }
  if ((options.servers > 1 || !options.database.empty()) && options.server.empty()) {
    error = "--servers and --database need --server";
    return std::nullopt;
  }
  if (options.servers > 1 && !options.database.starts_with("postgres")) {
    error = "several servers share a --database postgresql://... only";
    return std::nullopt;
  }
  if (options.killAfter > 0 && options.server.empty()) {
    error = "--kill-after needs --server";
    return std::nullopt;
  }
  return options;
}

}  // namespace vel
