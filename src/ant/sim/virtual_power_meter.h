#pragma once

#include "ant/sim/virtual_sensor.h"

namespace vel::sim {

// An ANT+ bicycle power meter (11). A power-only meter sends page 0x10
// (event count, cadence, accumulated and instantaneous power); a crank
// torque meter alternates 0x10 with 0x12 (crank events, ticks, accumulated
// period in 1/2048 s and torque in 1/32 Nm, one event per crank
// revolution). Both send the common pages 0x50 and 0x51 as the last two of
// every 121 messages.
class VirtualPowerMeter : public VirtualSensor {
 public:
  static constexpr std::uint16_t kPeriod = ChannelPeriodOf(device_type::kBikePower);
  enum class Kind { kPowerOnly, kCrankTorque };

  VirtualPowerMeter(SensorIdentity identity, SensorInfo info, Kind kind)
      : VirtualSensor(identity, kPeriod, info), kind_(kind) {}

  Kind MeterKind() const { return kind_; }

 protected:
  Payload Build(std::uint64_t n, double seconds, double dt, const RiderState& rider) override;

 private:
  Payload PowerPage(const RiderState& rider);
  Payload TorquePage(const RiderState& rider) const;

  Kind kind_;
  std::uint8_t powerEvents_ = 0;
  std::uint16_t accumulatedPower_ = 0;
  RevolutionCounter crank_;
  double accumulatedTorque32_ = 0;  // 1/32 Nm, before the 16-bit rollover
  std::uint64_t torqueEvents_ = 0;  // crank events already counted into the torque
};

}  // namespace vel::sim
