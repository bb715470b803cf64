#include "sensors/heart_rate_decoder.h"

#include "common/queues.h"
#include "common/tick_clock.h"
#include "sensors/sensor_event.h"

namespace vel {

CHRMDisplay::CHRMDisplay(const DecoderSetup& setup)
    : CDisplay(setup, kDeviceType, kChannelPeriod), graphId_(setup.graphIds[0]) {}

CHRMDisplay::~CHRMDisplay() {
  // Farewell: tells the panel the strap is gone.
  if (Uiid() >= 0 && graphId_ >= 0) Push(-1);
}

std::int32_t CHRMDisplay::ProcessMessage(const AntMessage& message, std::uint16_t length) {
  if (CDisplay::ProcessMessage(message, length) == 0) return 0;
  const std::uint8_t* payload = &message.data[kPayload];
  // Only a strap that toggles its page bit has pages at all.
  if (TransmitterKind() == kKindCurrent && (payload[0] & 0x7F) == kHeartRateBatteryPage) {
    battery_.Saw(BatteryStatusOf(payload[kProfileBatteryByte]), Uiid(), DeviceType());
  }
  if (graphId_ >= 0) Push(payload[7]);
  return 1;
}

std::int32_t CHRMDisplay::GetGraphId(int /*index*/) const { return -1; }

void CHRMDisplay::SetGraphId(int /*index*/, std::int32_t /*graphId*/) {}

void CHRMDisplay::Push(std::int64_t bpm) {
  PushEvent(BuildReadingEvent(EventHeader::kHeartRate, Uiid(), device_type::kHeartRate, graphId_,
                              EventValue::Integer(bpm), TickCount64()));
}

}  // namespace vel
