#include "support/queue_capture.h"

#include <atomic>

#include "common/tick_clock.h"

namespace vel::test {
namespace {
std::atomic<std::uint64_t> g_now{0};
std::uint64_t Now() { return g_now.load(); }
}  // namespace

ManualTick::ManualTick(std::uint64_t start) {
  g_now = start;
  SetTickSource(&Now);
}
ManualTick::~ManualTick() { SetTickSource(nullptr); }
void ManualTick::Set(std::uint64_t now) { g_now = now; }
void ManualTick::Advance(std::uint64_t ms) { g_now += ms; }

}  // namespace vel::test
