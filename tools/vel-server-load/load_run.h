#pragma once

#include <functional>
#include <string>

#include "load_options.h"

namespace vel {

struct LoadResult {
  long requests = 0;
  long refused = 0;          // replies with "result" false
  long broken = 0;           // exchanges that failed (the program's message box)
  long brokenElsewhere = 0;  // ... of them on servers that were not killed
  double seconds = 0;
  double p50Ms = 0;
  double p99Ms = 0;
  long acknowledged = 0;  // changes the server said yes to
  long killedAfter = 0;   // acknowledged changes when the server was killed (0: not killed)
  long checked = 0;       // acknowledged members, devices and bests checked at the end
  long lost = 0;          // ... of them missing
  std::string firstLoss;  // what the first one was
};

// How the SIGKILL check ends and brings back the server.
struct ServerKill {
  // Kills the server of the first address.
  std::function<void()> kill;
  // Starts it again on the same database, or names another server of the
  // same database; gives the application server's address to check at.
  std::function<std::string()> restart;
  // The servers of the other addresses serve on: only the killed one's
  // clients end at the kill.
  bool othersServeOn = false;
};

// N clients, each with the program's own executor (or a socket sender, see
// LoadOptions) and an account of its own, send M sealed requests each at
// the same time to `urls`, client i to the i-th in turn (add member, add device, activate device,
// score report, load members, in turn); then one LoadMembers per account checks that every
// acknowledged member, device and best score is there.
//
// With `kill` (and options.killAfter), the server is killed right after the
// killAfter-th acknowledged change (or at the end, when the load ends
// first); the clients end at their next request, and the check runs against
// the server started again. What went unanswered at the kill may or may not
// have been kept; only what was acknowledged must be there.
LoadResult RunLoad(const LoadOptions& options, const std::vector<std::string>& urls,
                   const ServerKill* kill = nullptr);

}  // namespace vel
