#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vel {

struct LoadOptions {
  // Where the application servers are (--url, once or more; the clients
  // are spread over them in turn). Neither these nor `server`: one is
  // started in-process on free ports with a temporary database.
  std::vector<std::string> urls;
  std::string server;  // a vel-server to start as a process of its own
  // With `server`: how many to start, all on `database`.
  int servers = 1;
  // With `server`: what each is started on (--database); empty: a SQLite
  // file in a temporary folder. Several servers need a PostgreSQL one.
  std::string database;
  int clients = 8;
  int requests = 500;  // per client
  // With `server`: SIGKILL it after this many acknowledged changes, start
  // it again on the same database and check them all; 0: no kill. Of
  // several servers the first is killed, and the others serve on: their
  // clients go on to the end, and the check asks the second.
  int killAfter = 0;
  // Each client sends over a blocking socket of its own instead of the
  // program's executor: the load then takes less of the machine.
  bool socketClients = false;
};

// What --help prints (without the last line break).
extern const char kLoadUsage[];

// The options of a command line (without the program name); no value, with
// `error` set, for an unknown option, a missing value, a count outside
// 1 to 100000, --url with --server, --kill-after without --server, or
// --servers or --database without --server, or several servers on SQLite. A
// lone --help is answered before (tools/common/command_line.h).
std::optional<LoadOptions> ParseLoadOptions(const std::vector<std::string>& args,
                                            std::string& error);

}  // namespace vel
