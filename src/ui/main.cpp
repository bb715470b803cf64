// vel: the studio program. The crash dump writer is installed before this
// runs (static initialisation); the start-up routine does the rest and the
// process ends when it returns.
#include <QApplication>

#include "app/program_start.h"
#include "server/http_threads.h"
#include "server/update_trial.h"
#include "ui/termination_watch.h"
#include "ui/vel_program.h"

namespace {

// The program's requests go one at a time from the user-interface thread;
// two pool threads carry each exchange with the fewest wake-ups.
constexpr std::size_t kHttpThreads = 2;

}  // namespace

int main(int argc, char** argv) {
  vel::UseHttpThreads(kHttpThreads);
  // Taken from the environment before any thread may read it.
  vel::TrialReport trial = vel::TrialReport::FromEnvironment();
  QApplication application(argc, argv);
  // Asked to stop by the system, the windows end as the user ends them.
  const vel::TerminationWatch watch;
  vel::CVELApp program(std::vector<std::string>(argv, argv + argc), std::move(trial));
  vel::RunProgramStart(program);
  return 0;
}
