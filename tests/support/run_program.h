#pragma once

#include <string>
#include <vector>

#include "support/child_process.h"

namespace vel::test {

// What a program did in one run to its end.
struct ProgramRun {
  int status = -1;  // the exit status; -1 when it did not exit by itself
  int signal = 0;   // the signal that ended it, or 0
  std::string out;  // its standard output
  std::string err;  // its standard error
};

// Runs `program` (a path, or a name looked up in PATH) with `arguments` to
// its end. A program that has not ended within the wait bound is killed and
// reported with status -1 and the reason in `err`.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramSetup& setup = {});

}  // namespace vel::test
