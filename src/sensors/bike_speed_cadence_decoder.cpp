#include "sensors/bike_speed_cadence_decoder.h"

#include "common/queues.h"
#include "common/tick_clock.h"
#include "sensors/payload.h"
#include "sensors/sensor_event.h"

namespace vel {
CBikeSpdCadDisplay::CBikeSpdCadDisplay(const DecoderSetup& setup)
    : CDisplay(setup, kDeviceType, kChannelPeriod),
      circumferenceCm_(CircumferenceCm(setup.wheelCircumferenceM)),
      graphs_{setup.graphIds[0], setup.graphIds[1]} {}

CBikeSpdCadDisplay::~CBikeSpdCadDisplay() {
  if (Uiid() < 0) return;
  const std::uint64_t tick = TickCount64();
  const std::int32_t speedGraph = graphs_.Get(0);
  const std::int32_t cadenceGraph = graphs_.Get(1);
  if (speedGraph >= 0) {
    PushEvent(BuildReadingEvent(EventHeader::kSpeed, Uiid(), DeviceType(), speedGraph,
                                EventValue::Retract(), tick));
    PushEvent(BuildReadingEvent(EventHeader::kDistance, Uiid(), DeviceType(), speedGraph,
                                EventValue::Retract(), tick));
  }
  if (cadenceGraph >= 0) {
    PushEvent(BuildReadingEvent(EventHeader::kCadence, Uiid(), DeviceType(), cadenceGraph,
                                EventValue::Retract(), tick));
  }
}

std::int32_t CBikeSpdCadDisplay::ProcessMessage(const AntMessage& message, std::uint16_t length) {
  if (CDisplay::ProcessMessage(message, length) == 0) return 0;
  const std::uint8_t* payload = &message.data[kPayload];
  const std::uint16_t crankTime = Le16(&payload[0]);
  const std::uint16_t crankCount = Le16(&payload[2]);
  const std::uint16_t wheelTime = Le16(&payload[4]);
  const std::uint16_t wheelCount = Le16(&payload[6]);
  crank_.Record(crankCount, crankTime);
  wheel_.Record(wheelCount, wheelTime);
  if (started_ == 0) {
    crank_.Start(crankCount, crankTime);
    wheel_.Start(wheelCount, wheelTime);
    started_ = 1;
  }

  if (crank_.Unchanged()) {
    if (stillCrank_.Increment() >= kStillMessages) {
      cadence_ = 0;
      cadenceStopped_ = 1;
    }
  } else {
    stillCrank_.Reset();
    cadenceStopped_ = 0;
    const RevolutionTrack::Step step = crank_.Accumulate();
    if (step.time != 0) cadence_ = CrankCadenceRpm(step.revolutions, step.time);
  }

  if (wheel_.Unchanged()) {
    if (stillWheel_.Increment() >= kStillMessages) {
      speedStopped_ = 1;
      speed_ = 0.0;
    }
  } else {
    stillWheel_.Reset();
    const RevolutionTrack::Step step = wheel_.Accumulate();
    speedStopped_ = 0;
    if (circumferenceCm_ != 0.0f) {
      // A wheel count that moved while its event time did not is no real
      // wheel event; the speed holds rather than becoming infinite.
      if (step.time != 0) speed_ = WheelSpeedKmh(circumferenceCm_, step.revolutions, step.time);
      distance_ = WheelDistanceKm(wheel_.TotalRevolutions(), circumferenceCm_);
    }
  }
  crank_.Finish();
  wheel_.Finish();

  // A graph id changed meanwhile by the user-interface thread takes effect
  // from the next message on.
  const std::uint64_t tick = TickCount64();
  EventBatch events;
  const std::int32_t speedGraph = graphs_.Get(0);
  if (speedGraph >= 0) {
    events.AddReading(EventHeader::kSpeed, Uiid(), DeviceType(), speedGraph,
                      EventValue::Real(speed_), tick);
    if (speed_ > 0.0) {
      events.AddReading(EventHeader::kDistance, Uiid(), DeviceType(), speedGraph,
                        EventValue::Real(distance_), tick);
    }
  }
  const std::int32_t cadenceGraph = graphs_.Get(1);
  if (cadenceGraph >= 0) {
    events.AddReading(EventHeader::kCadence, Uiid(), DeviceType(), cadenceGraph,
                      EventValue::Integer(cadence_), tick);
  }
  events.Push();
  return 1;
}

std::int32_t CBikeSpdCadDisplay::GetGraphId(int index) const { return graphs_.Get(index); }

void CBikeSpdCadDisplay::SetGraphId(int index, std::int32_t graphId) {
  graphs_.Set(index, graphId, Uiid(), DeviceType(),
              index == 0 ? EventHeader::kSpeed : EventHeader::kCadence);
}

}  // namespace vel
