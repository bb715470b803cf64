#include "server/process_starter.h"

#include <spawn.h>
#include <sys/types.h>

extern char** environ;

namespace vel {

bool SpawnProcessStarter::Start(const std::filesystem::path& program,
                                const std::vector<std::string>& arguments) {
  std::vector<std::string> texts;
  texts.reserve(arguments.size() + 1);
  texts.push_back(program.string());
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  // glibc reports a failed exec (a missing or non-executable file) as the
  // result of posix_spawn itself.
  return ::posix_spawn(&pid, texts.front().c_str(), nullptr, nullptr, argv.data(), environ) == 0;
}

}  // namespace vel
