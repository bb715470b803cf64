// A deliberate race through a shared_ptr, run only in ThreadSanitizer
// builds: one thread writes through a raw pointer after dropping its
// reference while another drops the last one, whose release reads the
// reading in its destructor. Its
// test passes only if the report comes out with the sanitizer allowances
// the test programs run with, so that those allowances cannot hide a
// use-after-free race of ours behind the shared_ptr release.
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

int lastValue = 0;

struct Reading {
  ~Reading() { lastValue = value; }
  int value = 0;
};

// Relaxed flags order the two threads in time (so the write really comes
// before the free) without ordering them for ThreadSanitizer.
std::atomic<int> step{0};

void WaitFor(int wanted) {
  while (step.load(std::memory_order_relaxed) != wanted) std::this_thread::yield();
}

}  // namespace

int main() {
  auto reading = std::make_shared<Reading>();
  Reading* raw = reading.get();
  std::thread last_owner([held = reading]() mutable {
    WaitFor(1);
    held.reset();
    step.store(2, std::memory_order_relaxed);
  });
  reading.reset();
  raw->value = 1;  // no longer owned here: the race
  step.store(1, std::memory_order_relaxed);
  WaitFor(2);
  last_owner.join();
  std::printf("shared_ptr_race: done (%d)\n", lastValue);
  return 0;
}
