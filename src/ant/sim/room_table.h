#pragma once

#include <cstdint>
#include <span>

#include "ant/sim/virtual_rider.h"
#include "sensors/battery_status.h"

namespace vel::sim {

enum class SensorVariant {
  kCurrent,      // pages with a toggling bit (or, for 121, the fixed layout)
  kLegacy,       // a heart-rate strap without pages
  kPowerOnly,    // power meter sending page 0x10 only
  kCrankTorque,  // power meter interleaving 0x12 with 0x10
};

// One sensor of the simulated room.
struct RoomSensor {
  int rider;  // 1 to 10
  std::uint8_t deviceType;
  std::uint16_t deviceNumber;
  std::uint8_t transmissionType;
  SensorVariant variant;
};

// Every sensor of the room, in the order a wildcard search finds them.
// Device numbers read as the device type followed by the two-digit rider
// number (12003 is rider 3's strap, 1107 rider 7's power meter); README
// lists the same table under "Simulated room".
std::span<const RoomSensor> RoomSensorTable();

// The battery a sensor of the room reports: a few are worn (rider 4's
// strap and rider 9's speed sensor low, rider 2's power meter critical,
// as the README says); the others say nothing.
BatteryStatus RoomBatteryOf(std::uint16_t deviceNumber);

// The rider's session and body (1 to 10).
RiderTraits RiderTraitsFor(int rider);

}  // namespace vel::sim
