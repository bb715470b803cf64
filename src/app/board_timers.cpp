#include "app/board_timers.h"

namespace vel {

BoardTimers::BoardTimers(RiderBoard& board, Clock::time_point start)
    : board_(board),
      nextClock_(start),
      nextWatchdog_(start + std::chrono::milliseconds(RiderBoard::kWatchdogPeriodMs)) {}

void BoardTimers::Poll(Clock::time_point now) {
  board_.DrainEvents();
  if (now >= nextClock_) {
    board_.UpdateClocks();
    nextClock_ += std::chrono::milliseconds(RiderBoard::kClockPeriodMs);
  }
  if (now >= nextWatchdog_) {
    board_.ClearStaleValues();
    nextWatchdog_ += std::chrono::milliseconds(RiderBoard::kWatchdogPeriodMs);
  }
}

}  // namespace vel
