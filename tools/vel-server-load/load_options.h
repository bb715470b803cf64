#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vel {

struct LoadOptions {
  // Where the application server is. Neither: one is started in-process on
  // free ports with a temporary database.
  std::string url;
  std::string server;  // a vel-server to start as a process of its own
  int clients = 8;
  int requests = 500;  // per client
  // With `server`: SIGKILL it after this many acknowledged changes, start
  // it again on the same database and check them all; 0: no kill.
  int killAfter = 0;
  // Each client sends over a blocking socket of its own instead of the
  // program's executor: the load then takes less of the machine.
  bool socketClients = false;
};

// What --help prints (without the last line break).
extern const char kLoadUsage[];

// The options of a command line (without the program name); no value, with
// `error` set, for an unknown option, a missing value, a count outside
// 1 to 100000, --url with --server, or --kill-after without --server. A
// lone --help is answered before (tools/common/command_line.h).
std::optional<LoadOptions> ParseLoadOptions(const std::vector<std::string>& args,
                                            std::string& error);

}  // namespace vel
