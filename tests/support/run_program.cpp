#include "support/run_program.h"

namespace vel::test {

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramSetup& setup) {
  ChildProcess child(program, arguments, setup);
  ProgramRun run;
  if (!child.Started()) {
    run.err = child.Error();
    return run;
  }
  const std::optional<ProcessEnd> end = child.WaitForEnd();
  run.out = child.Out();
  run.err = child.Err();
  if (!end) {
    run.err += "\n(" + program + " had not ended within the wait bound and was killed)";
    return run;
  }
  run.status = end->status;
  run.signal = end->signal;
  return run;
}

}  // namespace vel::test
