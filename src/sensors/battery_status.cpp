#include "sensors/battery_status.h"

#include "common/queues.h"
#include "common/tick_clock.h"
#include "sensors/sensor_event.h"

namespace vel {

BatteryStatus BatteryStatusOf(std::uint8_t statusByte) {
  const int status = (statusByte >> 4) & 0x07;
  return status >= 1 && status <= 5 ? static_cast<BatteryStatus>(status) : BatteryStatus::kUnknown;
}

void BatteryReport::Saw(BatteryStatus status, int uiid, int deviceType) {
  if (status == BatteryStatus::kUnknown || status == last_ || uiid < 0) return;
  last_ = status;
  PushEvent(BuildBatteryEvent(uiid, deviceType, static_cast<int>(status), TickCount64()));
}

}  // namespace vel
