#pragma once

#include <chrono>

#include "app/rider_board.h"

namespace vel {

// The main window's three timers for a board without windows (tools,
// benchmarks): Poll it every drain period; it drains the events at each
// call, updates the clocks every 500 ms and runs the watchdog every 10 s.
class BoardTimers {
 public:
  using Clock = std::chrono::steady_clock;

  BoardTimers(RiderBoard& board, Clock::time_point start);
  void Poll(Clock::time_point now);

 private:
  RiderBoard& board_;
  Clock::time_point nextClock_;
  Clock::time_point nextWatchdog_;
};

}  // namespace vel
