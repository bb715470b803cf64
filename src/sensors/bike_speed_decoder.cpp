#include "sensors/bike_speed_decoder.h"

#include "common/queues.h"
#include "common/tick_clock.h"
#include "sensors/payload.h"
#include "sensors/sensor_event.h"

namespace vel {
CBikeSpeedDisplay::CBikeSpeedDisplay(const DecoderSetup& setup)
    : CDisplay(setup, kDeviceType, kChannelPeriod),
      circumferenceCm_(CircumferenceCm(setup.wheelCircumferenceM)),
      graphId_(setup.graphIds[0]) {}

CBikeSpeedDisplay::~CBikeSpeedDisplay() {
  if (Uiid() < 0 || graphId_ < 0) return;
  const std::uint64_t tick = TickCount64();
  PushEvent(BuildReadingEvent(EventHeader::kSpeed, Uiid(), DeviceType(), graphId_,
                              EventValue::Retract(), tick));
  PushEvent(BuildReadingEvent(EventHeader::kDistance, Uiid(), DeviceType(), graphId_,
                              EventValue::Retract(), tick));
}

std::int32_t CBikeSpeedDisplay::ProcessMessage(const AntMessage& message, std::uint16_t length) {
  if (CDisplay::ProcessMessage(message, length) == 0) return 0;
  const std::uint8_t* payload = &message.data[kPayload];
  const std::uint16_t time = Le16(&payload[4]);
  const std::uint16_t count = Le16(&payload[6]);

  const bool first = pages_.Observe(payload);
  battery_.Saw(pages_.Battery(), Uiid(), DeviceType());
  if (first) wheel_.Start(count, time);
  wheel_.Record(count, time);

  if (wheel_.Unchanged()) {
    if (stillWheel_.Increment() >= kStillMessages) {
      stopped_ = 1;
      speed_ = 0.0;
    }
  } else {
    const RevolutionTrack::Step step = wheel_.Accumulate();
    stillWheel_.Reset();
    stopped_ = 0;
    if (circumferenceCm_ != 0.0f) {
      // A count that moved while the event time did not is no real wheel
      // event; the speed holds rather than becoming infinite.
      if (step.time != 0) speed_ = WheelSpeedKmh(circumferenceCm_, step.revolutions, step.time);
      distance_ = WheelDistanceKm(wheel_.TotalRevolutions(), circumferenceCm_);
    }
  }
  wheel_.Finish();

  if (graphId_ >= 0) {
    const std::uint64_t tick = TickCount64();
    EventBatch events;
    events.AddReading(EventHeader::kSpeed, Uiid(), DeviceType(), graphId_, EventValue::Real(speed_),
                      tick);
    if (speed_ > 0.0) {
      events.AddReading(EventHeader::kDistance, Uiid(), DeviceType(), graphId_,
                        EventValue::Real(distance_), tick);
    }
    events.Push();
  }
  return 1;
}

std::int32_t CBikeSpeedDisplay::GetGraphId(int /*index*/) const { return -1; }

void CBikeSpeedDisplay::SetGraphId(int /*index*/, std::int32_t /*graphId*/) {}

}  // namespace vel
