#pragma once

#include <cstdint>

#include "sensors/battery_status.h"

namespace vel {

// The page toggle and background pages of ANT+ bike speed and bike cadence
// sensors. A sensor whose toggle bit has changed at least once sends data
// pages, and only then are its background pages read.
class ToggledPages {
 public:
  static constexpr std::uint8_t kNothingSeen = 2;
  static constexpr std::uint8_t kToggling = 3;

  // Follows the toggle bit of a decoded payload and keeps the background
  // page it carries. Returns true for the first decoded payload.
  bool Observe(const std::uint8_t* payload);

  std::uint8_t ToggleState() const { return toggleState_; }
  std::uint8_t ManufacturerId() const { return manufacturerId_; }
  std::uint8_t HardwareVersion() const { return hardwareVersion_; }
  std::uint8_t SoftwareVersion() const { return softwareVersion_; }
  std::uint8_t ModelNumber() const { return modelNumber_; }
  std::uint16_t SerialNumber() const { return serialNumber_; }
  std::uint32_t CumulativeOperatingTime() const { return operatingTime_; }
  // From page 4 (or the common page 0x52); unknown until one came.
  BatteryStatus Battery() const { return battery_; }

 private:
  std::uint8_t manufacturerId_ = 0;
  std::uint8_t hardwareVersion_ = 0;
  std::uint8_t softwareVersion_ = 0;
  std::uint8_t modelNumber_ = 0;
  std::uint16_t serialNumber_ = 0;
  std::uint8_t toggleState_ = kNothingSeen;
  std::uint32_t operatingTime_ = 0;
  BatteryStatus battery_ = BatteryStatus::kUnknown;
};

}  // namespace vel
