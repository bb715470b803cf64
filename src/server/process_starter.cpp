#include "server/process_starter.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "server/update_trial.h"

extern char** environ;

namespace vel {
namespace {

// posix_spawn's file actions, released on every way out.
class FileActions {
 public:
  FileActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
  ~FileActions() {
    if (ok_) ::posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  bool Ok() const { return ok_; }
  posix_spawn_file_actions_t* Get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ok_ = false;
};

}  // namespace

bool SpawnProcessStarter::Start(const std::filesystem::path& program,
                                const std::vector<std::string>& arguments, int trialFd) {
  std::vector<std::string> texts;
  texts.reserve(arguments.size() + 1);
  texts.push_back(program.string());
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  // This environment without any trial of its own, plus the one handed on.
  const std::string name = std::string(kUpdateTrialVariable) + "=";
  std::vector<char*> envp;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    if (std::string_view(*e).starts_with(name)) continue;
    envp.push_back(*e);
  }
  std::string trialVariable = name + std::to_string(kHandedOnTrialFd);
  FileActions actions;
  int source = trialFd;
  if (trialFd >= 0) {
    if (!actions.Ok()) return false;
    // dup2 onto itself would keep the close-on-exec flag.
    if (source == kHandedOnTrialFd)
      source = ::fcntl(trialFd, F_DUPFD_CLOEXEC, kHandedOnTrialFd + 1);
    if (source < 0 ||
        ::posix_spawn_file_actions_adddup2(actions.Get(), source, kHandedOnTrialFd) != 0) {
      if (source != trialFd && source >= 0) ::close(source);
      return false;
    }
    envp.push_back(trialVariable.data());
  }
  envp.push_back(nullptr);
  pid_t pid = 0;
  // glibc reports a failed exec (a missing or non-executable file) as the
  // result of posix_spawn itself.
  const bool started =
      ::posix_spawn(&pid, texts.front().c_str(), trialFd >= 0 ? actions.Get() : nullptr, nullptr,
                    argv.data(), envp.data()) == 0;
  if (source != trialFd) ::close(source);
  return started;
}

}  // namespace vel
