#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <vector>

namespace vel {

// Where the processor time of a load run went, so that a requests/s figure
// can be read beside what else the machine did: the server and the load
// share its cores with anything else running, and each group of changes
// waits for one fsync of the disk under the database.
struct CpuTimes {
  double machineBusy = 0;  // seconds of all cores together, not idle
  double machineAll = 0;   // seconds of all cores together
  double stolen = 0;       // seconds the host gave to other guests
  double server = 0;       // seconds of the server processes (0: not ours)
  double load = 0;         // seconds of this process
};

// The figures now; `servers` are processes of ours (none: not ours). Fields
// the kernel did not give stay 0.
CpuTimes TakeCpuTimes(const std::vector<pid_t>& servers);

// `after` less `before`, field by field.
CpuTimes CpuSpent(const CpuTimes& before, const CpuTimes& after);

// The median time of writing 4 KiB and fsync-ing it, in ms, over `rounds`
// tries with a scratch file in `folder`; no value when the file cannot be
// written.
std::optional<double> FsyncMedianMs(const std::filesystem::path& folder, int rounds);

}  // namespace vel
