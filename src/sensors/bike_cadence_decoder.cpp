#include "sensors/bike_cadence_decoder.h"

#include "common/queues.h"
#include "common/tick_clock.h"
#include "sensors/payload.h"
#include "sensors/sensor_event.h"

namespace vel {
CBikeCadenceDisplay::CBikeCadenceDisplay(const DecoderSetup& setup)
    : CDisplay(setup, kDeviceType, kChannelPeriod), graphId_(setup.graphIds[0]) {}

CBikeCadenceDisplay::~CBikeCadenceDisplay() {
  if (Uiid() < 0 || graphId_ < 0) return;
  PushEvent(BuildReadingEvent(EventHeader::kCadence, Uiid(), DeviceType(), graphId_,
                              EventValue::Retract(), TickCount64()));
}

std::int32_t CBikeCadenceDisplay::ProcessMessage(const AntMessage& message, std::uint16_t length) {
  if (CDisplay::ProcessMessage(message, length) == 0) return 0;
  const std::uint8_t* payload = &message.data[kPayload];
  const std::uint16_t time = Le16(&payload[4]);
  const std::uint16_t count = Le16(&payload[6]);

  const bool first = pages_.Observe(payload);
  battery_.Saw(pages_.Battery(), Uiid(), DeviceType());
  if (first) crank_.Start(count, time);
  crank_.Record(count, time);

  if (crank_.Unchanged()) {
    if (stillCrank_.Increment() >= kStillMessages) {
      cadence_ = 0;
      stopped_ = 1;
    }
  } else {
    const RevolutionTrack::Step step = crank_.Accumulate();
    stillCrank_.Reset();
    stopped_ = 0;
    if (step.time != 0) cadence_ = CrankCadenceRpm(step.revolutions, step.time);
  }
  crank_.Finish();

  if (graphId_ >= 0) {
    PushEvent(BuildReadingEvent(EventHeader::kCadence, Uiid(), DeviceType(), graphId_,
                                EventValue::Integer(cadence_), TickCount64()));
  }
  return 1;
}

std::int32_t CBikeCadenceDisplay::GetGraphId(int /*index*/) const { return -1; }

void CBikeCadenceDisplay::SetGraphId(int /*index*/, std::int32_t /*graphId*/) {}

}  // namespace vel
