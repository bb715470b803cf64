#include "app/channel_plan.h"

#include "common/queues.h"
#include "common/room.h"
#include "common/string_printf.h"
#include "sensors/channel_decoder.h"

namespace vel {
namespace {

// ANT device numbers are 16 bits; any other number would open another sensor.
constexpr int kHighestDeviceNumber = 0xFFFF;

}  // namespace

ChannelPlan::ChannelPlan(ReceiverList& sticks, PanelGraphs& graphs, WheelOfPanel wheel)
    : sticks_(sticks), graphs_(graphs), wheel_(std::move(wheel)) {}

bool ChannelPlan::AssignSensor(int panel, int deviceType, int deviceNumber, SensorSlot& slot) {
  if (!slot.Free() || sticks_.LiveCount() == 0) return false;
  const SensorKind* kind = FindSensorKind(deviceType);
  if (kind == nullptr) return false;
  if (deviceNumber < 0 || deviceNumber > kHighestDeviceNumber) {
    PushLog(StringPrintf("Device number %d is outside 0 to 65535: the %s sensor is not registered",
                         deviceNumber, kind->name));
    return false;
  }
  for (std::size_t r = 0; r < sticks_.Count(); ++r) {
    if (!sticks_.IsLive(r)) continue;
    const std::array<std::int32_t, 2> series = ReserveSeries(panel, *kind);
    const int channel = sticks_.PlaceSensor(r, deviceType, SetupFor(panel, deviceNumber, series));
    if (channel >= 0) {
      slot = SensorSlot{static_cast<std::int32_t>(r), channel, deviceType, deviceNumber, series};
      ShareCadence(panel, deviceType);
      return true;
    }
    ReleaseSeries(panel, series);
  }
  // The window opens while the sticks come up: a sensor ticked meanwhile
  // waits for them, as a lost stick's sensor waits for a free channel.
  if (sticks_.AnyComingUp()) {
    slot = SensorSlot{-1, -1, deviceType, deviceNumber, ReserveSeries(panel, *kind)};
    PushLog(StringPrintf("The %s sensor %d of rider panel %d waits for the sticks to come up",
                         kind->name, deviceNumber, panel + 1));
    return true;
  }
  return false;
}

void ChannelPlan::ShareCadence(int panel, int placedType) {
  if (placedType == device_type::kBikePower) {
    // The power meter's cadence is drawn from now on.
    sticks_.WithDecoder(panel, device_type::kBikeSpeedCadence,
                        [](CDisplay& combined) { combined.SetGraphId(1, -1); });
  } else if (placedType == device_type::kBikeSpeedCadence) {
    TakeCadenceFromCombinedSensor(panel);
  }
}

DecoderSetup ChannelPlan::SetupFor(int panel, int deviceNumber,
                                   const std::array<std::int32_t, 2>& series) {
  // A panel without a member has no wheel (-1): a sensor ticked there
  // measures with the standard wheel rather than a negative one.
  double wheel = wheel_ ? wheel_(panel) : kStandardWheelCircumferenceM;
  if (!(wheel > 0.0)) wheel = kStandardWheelCircumferenceM;
  DecoderSetup setup;
  setup.deviceNumber = static_cast<std::uint16_t>(deviceNumber);
  setup.uiid = panel;
  setup.graphIds[0] = series[0];
  setup.graphIds[1] = series[1];
  setup.wheelCircumferenceM = static_cast<float>(wheel);
  return setup;
}

void ChannelPlan::TakeCadenceFromCombinedSensor(int panel) {
  for (std::size_t r = 0; r < sticks_.Count(); ++r) {
    if (!sticks_.WithDecoderOn(r, panel, device_type::kBikePower, [](CDisplay&) {})) continue;
    sticks_.WithDecoderOn(r, panel, device_type::kBikeSpeedCadence,
                          [](CDisplay& combined) { combined.SetGraphId(1, -1); });
    return;
  }
}

bool ChannelPlan::CloseSensor(int panel, SensorSlot& slot) {
  if (slot.Waiting()) {
    DropSensor(panel, slot);
    return true;
  }
  if (slot.Free() || slot.receiver < 0 ||
      !sticks_.CloseChannel(static_cast<std::size_t>(slot.receiver), slot.channel)) {
    return false;
  }
  PushLog("Closing Channel...");
  if (slot.deviceType == device_type::kBikePower) GiveCadenceBackToCombinedSensor(panel);
  slot.Clear();
  return true;
}

void ChannelPlan::GiveCadenceBackToCombinedSensor(int panel) {
  const int series = graphs_.AddSeries(panel, series_colour::kCadence);
  if (!sticks_.WithDecoder(panel, device_type::kBikeSpeedCadence,
                           [series](CDisplay& combined) { combined.SetGraphId(1, series); })) {
    graphs_.RemoveSeries(panel, series);
  }
}

bool ChannelPlan::MoveSensor(int panel, SensorSlot& slot) {
  const SensorKind* kind = FindSensorKind(slot.deviceType);
  if (kind == nullptr) return false;
  // A two-graph sensor's series change while it runs (the cadence goes to
  // a power meter and back); take the ones it draws on now.
  if (!slot.Waiting() && kind->seriesCount == 2) {
    sticks_.WithChannel(static_cast<std::size_t>(slot.receiver), slot.channel, [&](CDisplay& d) {
      slot.series = {d.GetGraphId(0), d.GetGraphId(1)};
    });
  }
  const int from = slot.receiver;
  slot.receiver = -1;
  slot.channel = -1;
  for (std::size_t r = 0; r < sticks_.Count(); ++r) {
    if (static_cast<int>(r) == from || !sticks_.IsLive(r)) continue;
    const int channel =
        sticks_.PlaceSensor(r, slot.deviceType, SetupFor(panel, slot.deviceNumber, slot.series));
    if (channel < 0) continue;
    slot.receiver = static_cast<std::int32_t>(r);
    slot.channel = channel;
    // A sensor that waited from its first tick meets its partner only now.
    ShareCadence(panel, slot.deviceType);
    PushLog(StringPrintf("The %s sensor %d of rider panel %d went to USB device( %d ), channel %d",
                         kind->name, slot.deviceNumber, panel + 1, sticks_.At(r).UsbDeviceNumber(),
                         channel));
    return true;
  }
  if (from >= 0) {
    PushLog(StringPrintf("The %s sensor %d of rider panel %d waits for a free channel", kind->name,
                         slot.deviceNumber, panel + 1));
  }
  return false;
}

void ChannelPlan::DropSensor(int panel, SensorSlot& slot) {
  ReleaseSeries(panel, slot.series);
  if (slot.deviceType == device_type::kBikePower) GiveCadenceBackToCombinedSensor(panel);
  slot.Clear();
}

std::array<std::int32_t, 2> ChannelPlan::ReserveSeries(int panel, const SensorKind& kind) {
  std::array<std::int32_t, 2> series{-1, -1};
  for (std::uint8_t i = 0; i < kind.seriesCount; ++i) {
    series[i] = graphs_.AddSeries(panel, kind.series[i].colour);
  }
  return series;
}

void ChannelPlan::ReleaseSeries(int panel, const std::array<std::int32_t, 2>& series) {
  for (int s : series) {
    if (s >= 0) graphs_.RemoveSeries(panel, s);
  }
}

}  // namespace vel
