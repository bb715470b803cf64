#include "sensors/bike_power_decoder.h"

#include "common/queues.h"
#include "common/tick_clock.h"
#include "sensors/revolution_track.h"
#include "sensors/sensor_event.h"

namespace vel {
CBikePowerDisplay::CBikePowerDisplay(const DecoderSetup& setup)
    : CDisplay(setup, kDeviceType, kChannelPeriod),
      pages_(std::make_unique<PowerPages>()),
      common_(std::make_unique<CommonPages>()),
      circumferenceM_(setup.wheelCircumferenceM),
      graphs_{setup.graphIds[0], setup.graphIds[1]} {}

CBikePowerDisplay::~CBikePowerDisplay() {
  pages_.reset();
  common_.reset();
  if (Uiid() < 0) return;
  const std::uint64_t tick = TickCount64();
  const std::int32_t powerGraph = graphs_.Get(0);
  const std::int32_t cadenceGraph = graphs_.Get(1);
  if (powerGraph >= 0) {
    PushEvent(BuildReadingEvent(EventHeader::kPower, Uiid(), DeviceType(), powerGraph,
                                EventValue::Retract(), tick));
  }
  if (cadenceGraph >= 0) {
    PushEvent(BuildReadingEvent(EventHeader::kCadence, Uiid(), DeviceType(), cadenceGraph,
                                EventValue::Retract(), tick));
  }
}

std::int32_t CBikePowerDisplay::ProcessMessage(const AntMessage& message, std::uint16_t length) {
  if (CDisplay::ProcessMessage(message, length) == 0) return 0;
  const std::uint8_t* payload = &message.data[kPayload];
  const std::uint8_t page = payload[0];
  if (page == 0x50 || page == 0x51 || page == kCommonBatteryPage) common_->Store(payload);
  if (page == kCommonBatteryPage) {
    battery_.Saw(BatteryStatusOf(payload[kCommonBatteryByte]), Uiid(), DeviceType());
  }
  if (page <= 0x20) pages_->Parse(payload);

  if (pages_->MeterKind() != lastMeterKind_) {
    crankStopped_ = 0;
    wheelTorqueStarted_ = 0;
    crankTorqueStarted_ = 0;
  }
  if (page == 0x11 || page == 0x12) FollowTorque(page);

  if (page == 0x10) {
    const std::uint64_t tick = TickCount64();
    EventBatch events;
    const std::int32_t powerGraph = graphs_.Get(0);
    if (powerGraph >= 0) {
      events.AddReading(EventHeader::kPower, Uiid(), DeviceType(), powerGraph,
                        EventValue::Integer(pages_->InstantaneousPower()), tick);
    }
    const std::int32_t cadenceGraph = graphs_.Get(1);
    const std::uint8_t cadence = crankStopped_ != 0 ? 0 : pages_->InstantaneousCadence();
    // A meter without a cadence reading says so with 0xFF: no cadence then,
    // rather than 255 rpm on the panel and in the rider's bests.
    if (cadenceGraph >= 0 && cadence != PowerPages::kCadenceNotAvailable) {
      events.AddReading(EventHeader::kCadence, Uiid(), DeviceType(), cadenceGraph,
                        EventValue::Integer(cadence), tick);
    }
    events.Push();
  }
  lastMeterKind_ = pages_->MeterKind();
  return 1;
}

void CBikePowerDisplay::FollowTorque(std::uint8_t page) {
  const bool wheel = page == 0x11;
  const std::uint8_t eventCount = wheel ? pages_->WheelEventCount() : pages_->CrankEventCount();
  const std::uint8_t ticks = wheel ? pages_->WheelTicks() : pages_->CrankTicks();
  const std::uint16_t period = wheel ? pages_->WheelPeriod() : pages_->CrankPeriod();
  const std::uint16_t torque = pages_->AccumulatedTorque();

  std::int32_t& started = wheel ? wheelTorqueStarted_ : crankTorqueStarted_;
  std::uint8_t previousEvents = torque_.eventCount;
  std::uint16_t previousPeriod = torque_.period;
  std::uint16_t previousTorque = torque_.accumulatedTorque;
  std::uint16_t withoutEvent = torque_.pagesWithoutEvent;
  if (started == 0) {
    started = 1;
    previousEvents = eventCount;
    previousPeriod = period;
    previousTorque = torque;
    withoutEvent = 0;
  }
  const std::uint8_t dE = static_cast<std::uint8_t>(eventCount - previousEvents);
  const std::uint16_t dP = static_cast<std::uint16_t>(period - previousPeriod);
  const std::uint16_t dQ = static_cast<std::uint16_t>(torque - previousTorque);
  torque_.eventCount = eventCount;
  torque_.ticks = ticks;
  torque_.period = period;
  torque_.accumulatedTorque = torque;

  if (dE == 0) {
    torque_.pagesWithoutEvent = ++withoutEvent;
    if (withoutEvent >= kStillMessages && pages_->MeterKind() != PowerPages::kWheelTorque) {
      crankStopped_ = 1;
    }
  } else {
    torque_.pagesWithoutEvent = 0;
    if (pages_->MeterKind() == PowerPages::kCrankTorque) {
      crankStopped_ = dP == 0 ? 1 : 0;
    } else if (pages_->MeterKind() == PowerPages::kWheelTorque) {
      // Wheel events without new torque: the wheel rolls, nobody pedals.
      crankStopped_ = dQ == 0 ? 1 : 0;
    }
  }
}

std::int32_t CBikePowerDisplay::GetGraphId(int index) const { return graphs_.Get(index); }

void CBikePowerDisplay::SetGraphId(int index, std::int32_t graphId) {
  graphs_.Set(index, graphId, Uiid(), DeviceType(),
              index == 0 ? EventHeader::kPower : EventHeader::kCadence);
}

}  // namespace vel
