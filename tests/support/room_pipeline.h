#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "ant/ant_receiver.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"
#include "app/rider_board.h"

namespace vel::test {

// A simulated room on a manual clock and the board whose sticks hear it.
// The pipeline runs on the sticks' own threads; every wait here is for
// what the sticks sent to have been handled (every frame), never for time
// to pass, so nothing depends on how fast those threads run.
class RoomPipeline {
 public:
  RoomPipeline();

  // Settings that open `count` simulated sticks of this room, and nothing
  // else, at once. Sticks are listed again only when the pipeline says so
  // (no rescan thread).
  ReceiverSettings Sticks(int count) const;
  // Opens those of them that are plugged in on the board and waits until
  // each reported its channels.
  void OpenSticks(RiderBoard& board, int count);
  // Until every frame the sticks sent has been handled by their loops.
  void Settle(RiderBoard& board);
  // Settles and drains (as the 100 ms timer would) until `done` holds or
  // the pipeline is idle without it; false then.
  bool WaitFor(RiderBoard& board, const std::function<bool()>& done);
  // Moves the room's clock, and the program's with `advanceTick`, on
  // together in steps, draining after each.
  void Ride(RiderBoard& board, std::uint64_t ms, std::uint64_t stepMs,
            const std::function<void(std::uint64_t)>& advanceTick);

  // Pulls a stick out and waits until the board has noticed and let it go.
  void Unplug(RiderBoard& board, int stick);
  // Plugs a stick in (again), lists the sticks and waits until the board
  // has taken it into the plan, brought up.
  void Replug(RiderBoard& board, int stick);
  // The receiver that has simulated stick `stick` open; nullptr when none.
  AntReceiver* ReceiverOf(RiderBoard& board, int stick) const;

  std::shared_ptr<sim::ManualSimClock> clock = std::make_shared<sim::ManualSimClock>();
  std::shared_ptr<sim::VirtualRoom> room = std::make_shared<sim::VirtualRoom>(clock);

 private:
  std::uint64_t Delivered() const;
};

}  // namespace vel::test
