#include "ant/sim/virtual_power_meter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vel::sim {
namespace {

std::uint16_t Watts(const RiderState& rider) {
  return static_cast<std::uint16_t>(std::clamp(std::lround(rider.powerW), 0L, 65535L));
}

std::uint8_t Rpm(const RiderState& rider) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(rider.cadenceRpm), 0L, 254L));
}

}  // namespace

Payload VirtualPowerMeter::Build(std::uint64_t n, double seconds, double dt,
                                 const RiderState& rider) {
  crank_.Advance(rider.cadenceRpm / 60.0, seconds, dt);
  // Torque accumulates per crank revolution: the rider's torque at that
  // moment, power over angular speed.
  const std::uint64_t newEvents = crank_.Events() - torqueEvents_;
  torqueEvents_ = crank_.Events();
  if (newEvents > 0 && rider.cadenceRpm > 0) {
    const double torqueNm = rider.powerW / (2 * std::numbers::pi * rider.cadenceRpm / 60.0);
    accumulatedTorque32_ =
        std::fmod(accumulatedTorque32_ + static_cast<double>(newEvents) * torqueNm * 32.0, 65536.0);
  }

  const SensorInfo& info = Info();
  if (info.battery != BatteryStatus::kUnknown && n % 121 == 118) {
    const auto twoSeconds = static_cast<std::uint32_t>(seconds / 2);
    return {kCommonBatteryPage,
            0xFF,
            0x00,  // the one battery
            static_cast<std::uint8_t>(twoSeconds),
            static_cast<std::uint8_t>(twoSeconds >> 8),
            static_cast<std::uint8_t>(twoSeconds >> 16),
            0x40,  // a quarter of a volt
            static_cast<std::uint8_t>(0x80 | static_cast<int>(info.battery) << 4 | 0x02)};
  }
  if (n % 121 == 119) {
    return {0x50,
            0xFF,
            0xFF,
            info.hardwareVersion,
            static_cast<std::uint8_t>(info.manufacturerId),
            static_cast<std::uint8_t>(info.manufacturerId >> 8),
            static_cast<std::uint8_t>(info.modelNumber),
            static_cast<std::uint8_t>(info.modelNumber >> 8)};
  }
  if (n % 121 == 120) {
    return {0x51,
            0xFF,
            0xFF,
            info.softwareVersion,
            static_cast<std::uint8_t>(info.serialNumber),
            static_cast<std::uint8_t>(info.serialNumber >> 8),
            static_cast<std::uint8_t>(info.serialNumber >> 16),
            static_cast<std::uint8_t>(info.serialNumber >> 24)};
  }
  if (kind_ == Kind::kCrankTorque && n % 2 == 1) return TorquePage(rider);
  return PowerPage(rider);
}

Payload VirtualPowerMeter::PowerPage(const RiderState& rider) {
  const std::uint16_t watts = Watts(rider);
  ++powerEvents_;
  accumulatedPower_ = static_cast<std::uint16_t>(accumulatedPower_ + watts);
  return {0x10,
          powerEvents_,
          0xFF,  // no left/right balance
          Rpm(rider),
          static_cast<std::uint8_t>(accumulatedPower_),
          static_cast<std::uint8_t>(accumulatedPower_ >> 8),
          static_cast<std::uint8_t>(watts),
          static_cast<std::uint8_t>(watts >> 8)};
}

Payload VirtualPowerMeter::TorquePage(const RiderState& rider) const {
  const std::uint16_t period = RollingTime(crank_.LastEventSeconds(), 2048);
  const auto torque = static_cast<std::uint16_t>(accumulatedTorque32_);
  const auto events = static_cast<std::uint8_t>(crank_.Events());
  return {0x12,
          events,
          events,  // crank ticks: one per revolution
          Rpm(rider),
          static_cast<std::uint8_t>(period),
          static_cast<std::uint8_t>(period >> 8),
          static_cast<std::uint8_t>(torque),
          static_cast<std::uint8_t>(torque >> 8)};
}

}  // namespace vel::sim
