#include "sensors/toggled_pages.h"

#include "sensors/payload.h"

namespace vel {

bool ToggledPages::Observe(const std::uint8_t* payload) {
  const std::uint8_t toggle = payload[0] >> 7;
  const bool first = toggleState_ == kNothingSeen;
  if (first) {
    toggleState_ = toggle;
  } else if (toggleState_ != kToggling && toggleState_ != toggle) {
    toggleState_ = kToggling;  // final
  }
  if (toggleState_ == kToggling) {
    switch (payload[0] & 0x7F) {
      case 1: operatingTime_ = Le24(&payload[1]); break;
      case 2:
        manufacturerId_ = payload[1];
        serialNumber_ = Le16(&payload[2]);
        break;
      case 3:
        hardwareVersion_ = payload[1];
        softwareVersion_ = payload[2];
        modelNumber_ = payload[3];
        break;
      case kBikeSensorBatteryPage: battery_ = BatteryStatusOf(payload[kProfileBatteryByte]); break;
      case kCommonBatteryPage: battery_ = BatteryStatusOf(payload[kCommonBatteryByte]); break;
      default: break;
    }
  }
  return first;
}

}  // namespace vel
