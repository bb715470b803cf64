#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "support/wait_until.h"

namespace vel::test {

// How a program is started beyond its arguments.
struct ProgramSetup {
  std::string input;                       // its standard input
  std::vector<std::string> environment;    // "NAME=value", set over the test's own
  std::filesystem::path workingDirectory;  // empty: the test's own
};

// How a process ended.
struct ProcessEnd {
  int status = -1;  // the exit status; -1 when a signal ended it
  int signal = 0;   // the signal that ended it, or 0
};

// A program running as a process of its own. Its standard output and error
// go to files of its own, so a test may read them while it runs. A process
// still running when the object goes is killed.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const ProgramSetup& setup = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // False when the program could not be started (the reason is in Error()).
  bool Started() const { return pid_ > 0; }
  const std::string& Error() const { return error_; }
  pid_t Pid() const { return pid_; }

  // What it wrote so far.
  std::string Out() const;
  std::string Err() const;

  // How it ended, without waiting: nothing while it runs.
  std::optional<ProcessEnd> Ended();
  // How it ended, waiting up to `bound`: nothing when it still runs.
  std::optional<ProcessEnd> WaitForEnd(std::chrono::milliseconds bound = kWaitBound);
  void Signal(int signal) const;

 private:
  ScratchFolder files_;
  pid_t pid_ = -1;
  std::optional<ProcessEnd> end_;
  std::string error_;
};

}  // namespace vel::test
