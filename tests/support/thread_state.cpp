#include "support/thread_state.h"

#include <unistd.h>

#include <fstream>
#include <string>

namespace vel::test {

pid_t CurrentThreadId() { return ::gettid(); }

bool ThreadIsAsleep(pid_t tid) {
  if (tid <= 0) return false;
  // "<tid> (<name>) <state> ...": the name may hold spaces and parentheses.
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S';
}

}  // namespace vel::test
