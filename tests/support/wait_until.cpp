#include "support/wait_until.h"

#include <algorithm>
#include <thread>

namespace vel::test {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + bound;
  std::chrono::milliseconds pause{1};
  while (!condition()) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds{20});
  }
  return true;
}

}  // namespace vel::test
