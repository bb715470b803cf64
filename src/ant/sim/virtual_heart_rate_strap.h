#pragma once

#include "ant/sim/virtual_sensor.h"

namespace vel::sim {

// An ANT+ heart-rate strap (device type 120). A current strap sends page 4
// (with the previous beat time) with the toggle bit flipping every four
// messages and background pages 1, 2 and 3 in between; a legacy strap never
// changes its first byte and has no pages. Every message carries the last
// beat time (1/1024 s), the beat count and the computed heart rate.
class VirtualHeartRateStrap : public VirtualSensor {
 public:
  static constexpr std::uint16_t kPeriod = ChannelPeriodOf(device_type::kHeartRate);

  VirtualHeartRateStrap(SensorIdentity identity, SensorInfo info, bool legacy)
      : VirtualSensor(identity, kPeriod, info), legacy_(legacy) {}

  bool IsLegacy() const { return legacy_; }

 protected:
  Payload Build(std::uint64_t n, double seconds, double dt, const RiderState& rider) override;

 private:
  bool legacy_;
  RevolutionCounter beats_;
};

}  // namespace vel::sim
