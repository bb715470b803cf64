#include "ant/sim/virtual_heart_rate_strap.h"

#include <algorithm>
#include <cmath>

namespace vel::sim {

Payload VirtualHeartRateStrap::Build(std::uint64_t n, double seconds, double dt,
                                     const RiderState& rider) {
  beats_.Advance(rider.heartRateBpm / 60.0, seconds, dt);
  Payload p{};
  if (legacy_) {
    p = {0x00, 0xFF, 0xFF, 0xFF};
  } else {
    const std::uint8_t page = IsBackground(n) ? BackgroundPage(n) : 4;
    p[0] = static_cast<std::uint8_t>(page | ToggleBit(n));
    if (page == 4) {
      const std::uint16_t previous = RollingTime(beats_.PreviousEventSeconds(), 1024);
      p[1] = 0xFF;  // manufacturer specific, unused
      p[2] = static_cast<std::uint8_t>(previous);
      p[3] = static_cast<std::uint8_t>(previous >> 8);
    } else {
      FillBackground(p, page, seconds);
    }
  }
  const std::uint16_t last = RollingTime(beats_.LastEventSeconds(), 1024);
  p[4] = static_cast<std::uint8_t>(last);
  p[5] = static_cast<std::uint8_t>(last >> 8);
  p[6] = static_cast<std::uint8_t>(beats_.Events());
  p[7] = static_cast<std::uint8_t>(std::clamp(std::lround(rider.heartRateBpm), 0L, 255L));
  return p;
}

}  // namespace vel::sim
