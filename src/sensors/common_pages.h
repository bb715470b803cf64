#pragma once

#include <cstdint>

namespace vel {

// The ANT+ common pages a sensor interleaves with its data: product
// information (0x50, 0x51) and battery status (0x52).
class CommonPages {
 public:
  // Takes a payload whose page number is 0x50, 0x51 or 0x52.
  void Store(const std::uint8_t* payload);

  std::uint8_t HardwareRevision() const { return hardwareRevision_; }
  std::uint16_t ManufacturerId() const { return manufacturerId_; }
  std::uint16_t ModelNumber() const { return modelNumber_; }
  std::uint8_t SoftwareRevision() const { return softwareRevision_; }
  std::uint32_t SerialNumber() const { return serialNumber_; }
  std::uint32_t CumulativeOperatingTime() const { return operatingTime_; }
  std::uint8_t BatteryVoltageFraction() const { return voltageFraction_; }
  std::uint8_t BatteryDescriptor() const { return batteryDescriptor_; }

 private:
  std::uint8_t hardwareRevision_ = 0;
  std::uint16_t manufacturerId_ = 0;
  std::uint16_t modelNumber_ = 0;
  std::uint8_t softwareRevision_ = 0;
  std::uint32_t serialNumber_ = 0;
  std::uint32_t operatingTime_ = 0;
  std::uint8_t voltageFraction_ = 0;
  std::uint8_t batteryDescriptor_ = 0;
};

}  // namespace vel
