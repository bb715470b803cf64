#pragma once

#include <string>

#include "load_options.h"

namespace vel {

struct LoadResult {
  long requests = 0;
  long refused = 0;  // replies with "result" false
  long broken = 0;   // exchanges that failed (the program's message box)
  double seconds = 0;
  double p50Ms = 0;
  double p99Ms = 0;
  long lost = 0;          // acknowledged members, devices or scores missing at the end
  std::string firstLoss;  // what the first one was
};

// N clients, each with the program's own executor and an account of its
// own, send M sealed requests each at the same time (add member, add
// device, activate device, score report, load members, in turn); then one
// LoadMembers per account checks that every acknowledged member, device and
// best score is there.
LoadResult RunLoad(const LoadOptions& options);

}  // namespace vel
