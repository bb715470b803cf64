#include "common/tick_clock.h"

#include <atomic>
#include <ctime>

namespace vel {
namespace {

std::atomic<TickSource> g_source{nullptr};

std::uint64_t SystemTick() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
         static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

}  // namespace

std::uint64_t TickCount64() {
  const TickSource source = g_source.load(std::memory_order_acquire);
  return source != nullptr ? source() : SystemTick();
}

std::uint32_t TickCount32() { return static_cast<std::uint32_t>(TickCount64()); }

void SetTickSource(TickSource source) { g_source.store(source, std::memory_order_release); }

}  // namespace vel
