#include "ant/sim/room_table.h"

#include <array>

namespace vel::sim {
namespace {

// clang-format off
constexpr std::array<RoomSensor, 50> kRoom{{
//   rider type  number trans variant
    { 1, 120, 12001, 1, SensorVariant::kCurrent},
    { 1, 123, 12301, 1, SensorVariant::kCurrent},
    { 1, 122, 12201, 1, SensorVariant::kCurrent},
    { 1, 121, 12101, 1, SensorVariant::kCurrent},
    { 1,  11,  1101, 5, SensorVariant::kPowerOnly},
    { 2, 120, 12002, 1, SensorVariant::kCurrent},
    { 2, 123, 12302, 1, SensorVariant::kCurrent},
    { 2, 122, 12202, 1, SensorVariant::kCurrent},
    { 2, 121, 12102, 1, SensorVariant::kCurrent},
    { 2,  11,  1102, 5, SensorVariant::kCrankTorque},
    { 3, 120, 12003, 1, SensorVariant::kLegacy},
    { 3, 123, 12303, 1, SensorVariant::kCurrent},
    { 3, 122, 12203, 1, SensorVariant::kCurrent},
    { 3, 121, 12103, 1, SensorVariant::kCurrent},
    { 3,  11,  1103, 5, SensorVariant::kPowerOnly},
    { 4, 120, 12004, 1, SensorVariant::kCurrent},
    { 4, 123, 12304, 1, SensorVariant::kCurrent},
    { 4, 122, 12204, 1, SensorVariant::kCurrent},
    { 4, 121, 12104, 1, SensorVariant::kCurrent},
    { 4,  11,  1104, 5, SensorVariant::kCrankTorque},
    { 5, 120, 12005, 1, SensorVariant::kCurrent},
    { 5, 123, 12305, 1, SensorVariant::kCurrent},
    { 5, 122, 12205, 1, SensorVariant::kCurrent},
    { 5, 121, 12105, 1, SensorVariant::kCurrent},
    { 5,  11,  1105, 5, SensorVariant::kPowerOnly},
    { 6, 120, 12006, 1, SensorVariant::kCurrent},
    { 6, 123, 12306, 1, SensorVariant::kCurrent},
    { 6, 122, 12206, 1, SensorVariant::kCurrent},
    { 6, 121, 12106, 1, SensorVariant::kCurrent},
    { 6,  11,  1106, 5, SensorVariant::kCrankTorque},
    { 7, 120, 12007, 1, SensorVariant::kCurrent},
    { 7, 123, 12307, 1, SensorVariant::kCurrent},
    { 7, 122, 12207, 1, SensorVariant::kCurrent},
    { 7, 121, 12107, 1, SensorVariant::kCurrent},
    { 7,  11,  1107, 5, SensorVariant::kPowerOnly},
    { 8, 120, 12008, 1, SensorVariant::kLegacy},
    { 8, 123, 12308, 1, SensorVariant::kCurrent},
    { 8, 122, 12208, 1, SensorVariant::kCurrent},
    { 8, 121, 12108, 1, SensorVariant::kCurrent},
    { 8,  11,  1108, 5, SensorVariant::kCrankTorque},
    { 9, 120, 12009, 1, SensorVariant::kCurrent},
    { 9, 123, 12309, 1, SensorVariant::kCurrent},
    { 9, 122, 12209, 1, SensorVariant::kCurrent},
    { 9, 121, 12109, 1, SensorVariant::kCurrent},
    { 9,  11,  1109, 5, SensorVariant::kPowerOnly},
    {10, 120, 12010, 1, SensorVariant::kCurrent},
    {10, 123, 12310, 1, SensorVariant::kCurrent},
    {10, 122, 12210, 1, SensorVariant::kCurrent},
    {10, 121, 12110, 1, SensorVariant::kCurrent},
    {10,  11,  1110, 5, SensorVariant::kCrankTorque},
}};
// clang-format on

}  // namespace

std::span<const RoomSensor> RoomSensorTable() { return kRoom; }

BatteryStatus RoomBatteryOf(std::uint16_t deviceNumber) {
  switch (deviceNumber) {
    case 12004: return BatteryStatus::kLow;
    case 12309: return BatteryStatus::kLow;
    case 1102: return BatteryStatus::kCritical;
    default: return BatteryStatus::kUnknown;
  }
}

RiderTraits RiderTraitsFor(int rider) {
  // Ten different people: stronger and weaker, faster and slower
  // pedallers, each starting and stopping at their own moments.
  static constexpr double kWheels[] = {2.096, 2.105, 2.136, 2.070};
  const int k = rider;
  RiderTraits t;
  t.number = k;
  t.ftpW = 170 + 17 * k;
  t.massKg = 71 + 3 * k;
  t.hrRestBpm = 52 + (k * 7) % 12;
  t.hrMaxBpm = 172 + (k * 5) % 20;
  t.cadenceRpm = 80 + (k * 3) % 14;
  t.wheelCircumferenceM = kWheels[k % 4];
  t.startS = 3.0 * k;
  t.warmupS = 180 + 30 * (k % 4);
  t.onS = 40 + 10 * (k % 5);
  t.offS = 60 + 15 * (k % 3);
  t.coastS = 8 + 2 * (k % 4);
  t.stopS = 20 + 5 * (k % 3);
  t.stopEvery = 2 + k % 3;
  t.onFactor = 1.02 + 0.04 * (k % 4);
  return t;
}

}  // namespace vel::sim
