#include "sensors/common_pages.h"

#include "sensors/payload.h"

namespace vel {

void CommonPages::Store(const std::uint8_t* p) {
  switch (p[0]) {
    case 0x50:
      hardwareRevision_ = p[3];
      manufacturerId_ = Le16(&p[4]);
      modelNumber_ = Le16(&p[6]);
      return;
    case 0x51:
      softwareRevision_ = p[3];
      serialNumber_ = Le32(&p[4]);
      return;
    case 0x52:
      operatingTime_ = Le24(&p[3]);
      voltageFraction_ = p[6];
      batteryDescriptor_ = p[7];
      return;
    default: return;
  }
}

}  // namespace vel
