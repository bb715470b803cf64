#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_rider.h"
#include "ant/sim/virtual_sensor.h"

namespace vel::sim {

class SimulatedStick;

// The simulated cycling room: ten riders with their sensors (room_table.h)
// and up to ten simulated sticks that all hear every sensor, as in a real
// room. The riders move on as far as a stick asks for their messages.
//
// Threads: sticks are pumped by their handles' reader threads and, on a
// manual clock, by the thread that moves the clock; the sensors' state is
// behind one lock. Lock order: a stick's lock, then the room's.
class VirtualRoom {
 public:
  static constexpr int kMaxSticks = kStickPorts;
  static constexpr std::uint32_t kDefaultSearchTimeoutMs = 30000;

  explicit VirtualRoom(std::shared_ptr<SimClock> clock);
  ~VirtualRoom();
  VirtualRoom(const VirtualRoom&) = delete;
  VirtualRoom& operator=(const VirtualRoom&) = delete;

  // The room the program's simulated sticks share, on real time.
  static std::shared_ptr<VirtualRoom> Shared();

  SimClock& Clock() const { return *clock_; }
  std::uint64_t NowTicks() const;
  // The tick at which NowTicks will reach `ms` milliseconds from now.
  std::uint64_t TicksAfterMs(std::uint64_t ms) const;
  // Stick 0 to 9.
  SimulatedStick& Stick(int index);

  // How long an open channel searches before it gives up (a real stick's
  // default is about 30 s); tests shorten it.
  void SetSearchTimeoutMs(std::uint32_t ms) { searchTimeoutMs_ = ms; }
  std::uint32_t SearchTimeoutMs() const { return searchTimeoutMs_.load(); }

  // The first sensor, in table order, that a channel with this id hears
  // (0 is a wildcard for each of the three).
  const VirtualSensor* FindSensor(std::uint16_t deviceNumber, std::uint8_t deviceType,
                                  std::uint8_t transmissionType) const;
  // The message `sensor` sent last at or before `ticks`.
  bool MessageAt(const VirtualSensor& sensor, std::uint64_t ticks, Payload& out);
  // The rider state now (after moving the riders on), for tests and tools.
  RiderState RiderNow(int rider);

  // Emits what is due on every stick (a manual clock calls this when moved).
  void PumpSticks();

 private:
  std::shared_ptr<SimClock> clock_;
  std::mutex mutex_;  // the riders and their sensors
  std::vector<std::unique_ptr<VirtualRider>> riders_;
  std::vector<const VirtualSensor*> sensors_;  // in table order; fixed after construction
  std::atomic<std::uint32_t> searchTimeoutMs_{kDefaultSearchTimeoutMs};
  std::array<std::unique_ptr<SimulatedStick>, kMaxSticks> sticks_;
  std::atomic<std::uint64_t> pumpedTo_{0};
  int listenerId_ = 0;
};

}  // namespace vel::sim
