#include "app/channel_plan.h"

#include "common/queues.h"
#include "common/room.h"
#include "sensors/channel_decoder.h"

namespace vel {

ChannelPlan::ChannelPlan(ReceiverList& sticks, PanelGraphs& graphs, WheelOfPanel wheel)
    : sticks_(sticks), graphs_(graphs), wheel_(std::move(wheel)) {}

bool ChannelPlan::AssignSensor(int panel, int deviceType, int deviceNumber, SensorSlot& slot) {
  if (!slot.Free() || sticks_.Count() == 0) return false;
  const SensorKind* kind = FindSensorKind(deviceType);
  if (kind == nullptr) return false;
  for (std::size_t r = 0; r < sticks_.Count(); ++r) {
    const std::vector<int> series = ReserveSeries(panel, *kind);
    // A panel without a member has no wheel (-1): a sensor ticked there
    // measures with the standard wheel rather than a negative one.
    double wheel = wheel_ ? wheel_(panel) : kStandardWheelCircumferenceM;
    if (!(wheel > 0.0)) wheel = kStandardWheelCircumferenceM;

    DecoderSetup setup;
    setup.deviceNumber = static_cast<std::uint16_t>(deviceNumber);
    setup.uiid = panel;
    setup.graphIds[0] = series.empty() ? -1 : series[0];
    setup.graphIds[1] = series.size() > 1 ? series[1] : -1;
    setup.wheelCircumferenceM = static_cast<float>(wheel);
    const int channel = sticks_.PlaceSensor(r, deviceType, setup);
    if (channel >= 0) {
      slot = SensorSlot{static_cast<std::int32_t>(r), channel, deviceType};
      if (deviceType == device_type::kBikePower) {
        // The power meter's cadence is drawn from now on.
        sticks_.WithDecoder(panel, device_type::kBikeSpeedCadence,
                            [](CDisplay& combined) { combined.SetGraphId(1, -1); });
      } else if (deviceType == device_type::kBikeSpeedCadence) {
        TakeCadenceFromCombinedSensor(panel);
      }
      return true;
    }
    ReleaseSeries(panel, series);
  }
  return false;
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

std::vector<int> ChannelPlan::ReserveSeries(int panel, const SensorKind& kind) {
  std::vector<int> series;
  for (std::uint8_t i = 0; i < kind.seriesCount; ++i) {
    series.push_back(graphs_.AddSeries(panel, kind.series[i].colour));
  }
  return series;
}

void ChannelPlan::ReleaseSeries(int panel, const std::vector<int>& series) {
  for (int s : series) graphs_.RemoveSeries(panel, s);
}

}  // namespace vel
