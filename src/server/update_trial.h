#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "common/unique_fd.h"

namespace vel {

// The proof that a newly installed program runs. The program that installs
// a new executable keeps its own (it is still running, so the kernel keeps
// its bytes) and waits until the new program has shown that it runs; only
// then does it end. The proof travels through a pipe: the installing run
// keeps the read end and hands the write end on to the staged copy, which
// hands it on to every run of the new program's restart cycle, through the
// environment variable kUpdateTrialVariable. The run that reaches the
// sign-in window, or ends by its own decision (an update query that failed,
// a message it showed), writes the verdict. A run that dies first (a
// library that does not load, a crash) writes nothing; once every run that
// held the write end is gone, the installing run reads the end of the pipe
// and puts its own executable back.
inline constexpr char kUpdateTrialVariable[] = "VEL_UPDATE_TRIAL_FD";
// The descriptor number under which a started run finds the write end.
inline constexpr int kHandedOnTrialFd = 3;

// The installing run's side.
class UpdateTrial {
 public:
  enum class Verdict {
    kRuns,      // a run of the new program said so
    kDied,      // every run that could have said so is gone
    kTimedOut,  // nothing within the limit
  };

  // A new pipe; none (with `error`) when it cannot be made.
  static std::optional<UpdateTrial> Begin(std::string* error = nullptr);
  // The write end, to be handed to the staged copy's start.
  int HandOnFd() const { return write_.Get(); }
  // Closes this run's write end (after the start) and waits, up to `limit`,
  // for the verdict.
  Verdict Wait(std::chrono::milliseconds limit);

 private:
  UpdateTrial(int read, int write) : read_(read), write_(write) {}

  UniqueFd read_;
  UniqueFd write_;
};

// A run of the new program's side: the write end it inherited, if any.
class TrialReport {
 public:
  // Takes the write end named by kUpdateTrialVariable (and removes the
  // variable, so that no other child inherits it); none when the variable
  // is missing or does not name an open pipe.
  static TrialReport FromEnvironment();
  TrialReport() = default;
  explicit TrialReport(int fd) : fd_(fd) {}

  bool Held() const { return static_cast<bool>(fd_); }
  // The descriptor to hand on to the next run of the cycle; -1 when none.
  int Fd() const { return fd_.Get(); }
  // This run shows that the new program runs: writes the verdict and lets
  // the write end go. Nothing when none is held.
  void ReportRuns();

 private:
  UniqueFd fd_;
};

}  // namespace vel
