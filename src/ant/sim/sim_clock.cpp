#include "ant/sim/sim_clock.h"

namespace vel::sim {

int ManualSimClock::AddListener(Listener listener) {
  std::lock_guard lock(listenersMutex_);
  const int id = nextId_++;
  listeners_.emplace(id, std::move(listener));
  return id;
}

void ManualSimClock::RemoveListener(int id) {
  std::lock_guard lock(listenersMutex_);
  listeners_.erase(id);
}

void ManualSimClock::AdvanceUs(std::uint64_t us) {
  std::lock_guard lock(listenersMutex_);
  now_ += us;
  for (auto& [id, listener] : listeners_) listener();
}

}  // namespace vel::sim
