#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vel {

// Starts another process of the program. The updater restarts the program
// through this port, so tests can record the starts or really make them.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // Starts `program` with `arguments` after its own path (argv[1]...),
  // without waiting for it; false when it could not be started (missing,
  // not executable). `trialFd`, unless -1, is the write end of an update
  // trial (update_trial.h) that the new process inherits as
  // kHandedOnTrialFd, named in its environment.
  virtual bool Start(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments, int trialFd) = 0;
};

// Starts processes with posix_spawn: the same environment and working
// folder as this one. Nobody waits for them; they outlive this process.
class SpawnProcessStarter : public ProcessStarter {
 public:
  bool Start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
             int trialFd) override;
};

}  // namespace vel
