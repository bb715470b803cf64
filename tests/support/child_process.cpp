#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>

#include "support/read_file.h"

extern char** environ;

namespace vel::test {
namespace {

// The test's environment with `changes` ("NAME=value") set over it.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view current(*entry);
    bool replaced = false;
    for (const std::string& change : changes) {
      const std::string_view name = std::string_view(change).substr(0, change.find('=') + 1);
      replaced = replaced || current.starts_with(name);
    }
    if (!replaced) result.emplace_back(current);
  }
  result.insert(result.end(), changes.begin(), changes.end());
  return result;
}

std::vector<char*> NullTerminated(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ProgramSetup& setup) {
  std::ofstream(files_ / "in", std::ios::binary) << setup.input;
  std::vector<std::string> argumentTexts{program};
  argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv = NullTerminated(argumentTexts);
  std::vector<std::string> environmentTexts = EnvironmentWith(setup.environment);
  std::vector<char*> envp = NullTerminated(environmentTexts);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (files_ / "in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (files_ / "out").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (files_ / "err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // Last, so that the paths above are not taken from the new directory.
  if (!setup.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, setup.workingDirectory.c_str());
  }
  pid_t pid = -1;
  const int failed =
      posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    error_ = "cannot start " + program + ": " + std::strerror(failed);
    return;
  }
  pid_ = pid;
}

ChildProcess::~ChildProcess() {
  if (Started() && !end_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

std::string ChildProcess::Out() const { return ReadFile(files_ / "out"); }

std::string ChildProcess::Err() const { return ReadFile(files_ / "err"); }

std::optional<ProcessEnd> ChildProcess::Ended() {
  if (end_ || !Started()) return end_;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
  ProcessEnd end;
  if (WIFEXITED(status)) end.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  end_ = end;
  return end_;
}

std::optional<ProcessEnd> ChildProcess::WaitForEnd(std::chrono::milliseconds bound) {
  if (!Started()) return std::nullopt;
  WaitUntil([this] { return Ended().has_value(); }, bound);
  return end_;
}

void ChildProcess::Signal(int signal) const {
  if (Started() && !end_) ::kill(pid_, signal);
}

}  // namespace vel::test
