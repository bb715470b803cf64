// Stands in for the program in the updater's restart cycle: runs the real
// updater against the patch server of VEL_PATCH_URL with the version it was
// built with, and appends what it did to runs.log beside itself:
//   start <pid> <own path> [<argument> ...]
//   message <pid> <text>
//   end <pid> <version number> goes-on|ends
// A start line is written before the updater may start the next instance,
// so start lines come in the order of the runs. Built with
// VEL_TEST_PROGRAM_CRASHES it dies of SIGSEGV unless it runs as the staged
// copy.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "server/endpoints.h"
#include "server/program_files.h"
#include "server/request_executor.h"
#include "server/updater.h"

namespace {

std::string gLog;

void Append(const std::string& line) {
  const int fd = ::open(gLog.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const std::string text = line + "\n";
  // One write per line: lines of instances running side by side never mix.
  (void)!::write(fd, text.data(), text.size());
  ::close(fd);
}

class LoggedMessageBox : public vel::MessageBox {
 public:
  void Show(const std::string& text) override {
    Append("message " + std::to_string(::getpid()) + " " + text);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const auto self = vel::RunningExecutablePath();
  if (!self) return 2;
  gLog = (self->parent_path() / "runs.log").string();
  std::string start = "start " + std::to_string(::getpid()) + " " + self->string();
  for (int i = 1; i < argc; ++i) start += std::string(" ") + argv[i];
  Append(start);

  const vel::ServerConfig config = vel::ServerConfig::BuiltIn(vel::ReadEndpoints());
  LoggedMessageBox box;
  vel::RequestExecutor executor(config, box);
  vel::SpawnProcessStarter starter;
  vel::TrialReport trial = vel::TrialReport::FromEnvironment();
#ifdef VEL_TEST_PROGRAM_CRASHES
  // A new program that takes over as the staged copy but dies at once as
  // the program itself.
  if (self->filename().string().find('_') == std::string::npos) ::raise(SIGSEGV);
#endif
  vel::UpdaterOptions options;
  options.fileVersion = VEL_TEST_PROGRAM_VERSION;
  options.inheritedTrial = &trial;
  bool goesOn = false;
  std::string number;
  {
    vel::Updater updater(config, std::vector<std::string>(argv, argv + argc), executor, box,
                         starter, options);
    number = updater.VersionNumber();
    goesOn = updater.RunUpdate();
  }
  // Going on stands for reaching the sign-in window.
  if (goesOn) trial.ReportRuns();
  Append("end " + std::to_string(::getpid()) + " " + number + (goesOn ? " goes-on" : " ends"));
  return 0;
}
