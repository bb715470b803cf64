#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace vel::sim {

// The time the simulated room and its sticks run on, in microseconds since
// the room's start. The program uses real time; tests and the recording
// tool use a manual clock and move it themselves.
class SimClock {
 public:
  using Listener = std::function<void()>;

  virtual ~SimClock() = default;
  virtual std::uint64_t NowUs() const = 0;
  virtual bool IsManual() const = 0;
  // Listeners are called after a manual clock moved (on the caller's
  // thread), so that what fell due is emitted before the move returns. A
  // real clock never calls them.
  virtual int AddListener(Listener) { return 0; }
  virtual void RemoveListener(int) {}
};

class SteadySimClock : public SimClock {
 public:
  std::uint64_t NowUs() const override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now() - start_)
                                          .count());
  }
  bool IsManual() const override { return false; }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

class ManualSimClock : public SimClock {
 public:
  std::uint64_t NowUs() const override { return now_.load(); }
  bool IsManual() const override { return true; }
  int AddListener(Listener listener) override;
  // Waits for a listener call in progress to end.
  void RemoveListener(int id) override;

  void AdvanceUs(std::uint64_t us);
  void AdvanceMs(std::uint64_t ms) { AdvanceUs(ms * 1000); }

 private:
  std::atomic<std::uint64_t> now_{0};
  std::mutex listenersMutex_;  // held while listeners run
  std::map<int, Listener> listeners_;
  int nextId_ = 1;
};

}  // namespace vel::sim
