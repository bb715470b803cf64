#include "ant/sim/virtual_sensor.h"

#include <cmath>

namespace vel::sim {

void RevolutionCounter::Advance(double perSecond, double end, double dt) {
  if (!(perSecond > 0) || !(dt > 0)) return;
  const double start = end - dt;
  const double next = position_ + perSecond * dt;
  for (double k = std::floor(position_) + 1; k <= next; k += 1) {
    previous_ = last_;
    last_ = start + (k - position_) / perSecond;
    ++events_;
  }
  position_ = next;
}

std::uint16_t RollingTime(double seconds, double unitsPerSecond) {
  return static_cast<std::uint16_t>(
      static_cast<std::uint64_t>(std::llround(seconds * unitsPerSecond)) & 0xFFFF);
}

std::uint8_t BatteryPercent(BatteryStatus status) {
  switch (status) {
    case BatteryStatus::kLow: return 15;
    case BatteryStatus::kCritical: return 4;
    default: return 80;
  }
}

VirtualSensor::VirtualSensor(SensorIdentity identity, std::uint16_t period, SensorInfo info)
    : identity_(identity),
      period_(period),
      info_(info),
      // Sensors switched on at different moments: spread their phases.
      phase_((identity.deviceNumber * 2654435761ull) % period) {}

void VirtualSensor::SendNext(const RiderState& rider) {
  const std::uint64_t ticks = NextMessageTime();
  const double seconds = static_cast<double>(ticks) / kTicksPerSecond;
  const double dt = static_cast<double>(period_) / kTicksPerSecond;
  Sent& slot = history_[sent_ % kHistory];
  slot.payload = Build(sent_, seconds, dt, rider);
  slot.ticks = ticks;
  ++sent_;
}

bool VirtualSensor::MessageAt(std::uint64_t ticks, Payload& out) const {
  if (sent_ == 0 || ticks < phase_) return false;
  const std::uint64_t n = (ticks - phase_) / period_;  // the message sent at or before
  if (n >= sent_ || sent_ - n > kHistory) return false;
  out = history_[n % kHistory].payload;
  return true;
}

void VirtualSensor::FillBackground(Payload& p, std::uint8_t page, double seconds) const {
  if (page != 0 && page == info_.batteryPage) {
    // A strap says its charge in percent; the bike sensors have no such byte.
    p[1] = page == kHeartRateBatteryPage ? BatteryPercent(info_.battery) : 0xFF;
    p[2] = 0x40;  // a quarter of a volt
    p[3] = static_cast<std::uint8_t>(0x02 | static_cast<int>(info_.battery)
                                                << 4);  // 2 V and the status
    return;
  }
  switch (page) {
    case 1: {
      const auto twoSeconds = static_cast<std::uint32_t>(seconds / 2);
      p[1] = static_cast<std::uint8_t>(twoSeconds);
      p[2] = static_cast<std::uint8_t>(twoSeconds >> 8);
      p[3] = static_cast<std::uint8_t>(twoSeconds >> 16);
      return;
    }
    case 2:
      p[1] = static_cast<std::uint8_t>(info_.manufacturerId);
      p[2] = static_cast<std::uint8_t>(info_.serialNumber);
      p[3] = static_cast<std::uint8_t>(info_.serialNumber >> 8);
      return;
    case 3:
      p[1] = info_.hardwareVersion;
      p[2] = info_.softwareVersion;
      p[3] = static_cast<std::uint8_t>(info_.modelNumber);
      return;
    default: p[1] = p[2] = p[3] = 0xFF;
  }
}

}  // namespace vel::sim
