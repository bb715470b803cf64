#include "ant/channel_plan.h"

#include "sensors/channel_decoder.h"
#include "sensors/decoder_factory.h"
#include "common/queues.h"

namespace vel {
namespace {

constexpr int kStickCount = 10;
constexpr double kDefaultWheelM = 2.096;

// The series a sensor kind draws on its rider's graph; empty for a kind
// the program does not decode.
std::vector<std::uint32_t> SeriesColours(int deviceType) {
  switch (deviceType) {
    case device_type::kHeartRate: return {series_colour::kHeartRate};
    case device_type::kBikeSpeed: return {series_colour::kSpeed};
    case device_type::kBikeCadence: return {series_colour::kCadence};
    case device_type::kBikeSpeedCadence: return {series_colour::kSpeed, series_colour::kCadence};
    case device_type::kBikePower: return {series_colour::kPower, series_colour::kCadence};
    default: return {};
  }
}

}  // namespace

ChannelPlan::ChannelPlan(PanelGraphs& graphs, WheelOfPanel wheel)
    : graphs_(graphs), wheel_(std::move(wheel)) {}

ChannelPlan::~ChannelPlan() { Shutdown(); }

std::size_t ChannelPlan::OpenReceivers(const ReceiverSettings& settings) {
  for (int n = 0; n < kStickCount; ++n) {
    if (auto receiver = AntReceiver::OpenReceiver(static_cast<std::uint8_t>(n), settings)) {
      receivers_.push_back(std::move(receiver));
    }
  }
  return receivers_.size();
}

void ChannelPlan::AddReceiver(std::unique_ptr<AntReceiver> receiver) {
  receivers_.push_back(std::move(receiver));
}

bool ChannelPlan::AssignSensor(int panel, int deviceType, int deviceNumber, SensorSlot& slot) {
  if (!slot.Free() || receivers_.empty()) return false;
  for (std::size_t r = 0; r < receivers_.size(); ++r) {
    const std::vector<std::uint32_t> colours = SeriesColours(deviceType);
    if (colours.empty()) return false;
    std::vector<int> series;
    for (std::uint32_t colour : colours) series.push_back(graphs_.AddSeries(panel, colour));
    // A panel without a member has no wheel (-1): a sensor ticked there
    // measures with the standard wheel rather than a negative one.
    double wheel = wheel_ ? wheel_(panel) : kDefaultWheelM;
    if (!(wheel > 0.0)) wheel = kDefaultWheelM;

    const int channel = AssignOn(*receivers_[r], panel, deviceType, deviceNumber, series,
                                 static_cast<float>(wheel));
    if (channel >= 0) {
      slot = SensorSlot{static_cast<std::int32_t>(r), channel, deviceType};
      if (deviceType == device_type::kBikePower) {
        // The power meter's cadence is drawn from now on.
        WithDecoder(panel, device_type::kBikeSpeedCadence,
                    [](CDisplay& combined) { combined.SetGraphId(1, -1); });
      } else if (deviceType == device_type::kBikeSpeedCadence) {
        TakeCadenceFromCombinedSensor(panel);
      }
      return true;
    }
    for (int s : series) graphs_.RemoveSeries(panel, s);
  }
  return false;
}

void ChannelPlan::TakeCadenceFromCombinedSensor(int panel) {
  // Only on the stick that holds the rider's power meter.
  for (auto& receiver : receivers_) {
    bool hasPower = false;
    receiver->ForEachDecoder([&](std::size_t, CDisplay& d) {
      hasPower = hasPower || (d.Uiid() == panel && d.DeviceType() == device_type::kBikePower);
    });
    if (!hasPower) continue;
    receiver->ForEachDecoder([&](std::size_t, CDisplay& d) {
      if (d.Uiid() == panel && d.DeviceType() == device_type::kBikeSpeedCadence) {
        d.SetGraphId(1, -1);
      }
    });
    return;
  }
}

int ChannelPlan::AssignOn(AntReceiver& receiver, int panel, int deviceType, int deviceNumber,
                          const std::vector<int>& series, float wheelM) {
  // A sensor is opened at most once per stick.
  bool already = false;
  receiver.ForEachDecoder([&](std::size_t, CDisplay& d) {
    already = already || (d.DeviceType() == deviceType && deviceNumber != 0 &&
                          d.DeviceNumber() == deviceNumber);
  });
  if (already) return -1;
  PushLog("Assigning Channel...");
  const int channel = receiver.PlaceDecoder([&](std::uint8_t c) {
    DecoderSetup setup;
    setup.owner = &receiver;
    setup.deviceNumber = static_cast<std::uint16_t>(deviceNumber);
    setup.channelNumber = c;
    setup.uiid = panel;
    setup.graphIds[0] = series.empty() ? -1 : series[0];
    setup.graphIds[1] = series.size() > 1 ? series[1] : -1;
    setup.wheelCircumferenceM = wheelM;
    return MakeDecoder(static_cast<std::uint8_t>(deviceType), setup);
  });
  if (channel < 0) return -1;
  // The decoder takes the set-up chain from the stick's answer.
  receiver.SendChannelCommand(
      ant_command::AssignChannel(static_cast<std::uint8_t>(channel), kReceiveChannelType, kRoomNetwork),
      kCommandResponseWaitMs);
  return channel;
}

bool ChannelPlan::CloseSensor(int panel, SensorSlot& slot) {
  if (slot.Free() || slot.receiver < 0 ||
      static_cast<std::size_t>(slot.receiver) >= receivers_.size()) {
    return false;
  }
  AntReceiver& receiver = *receivers_[static_cast<std::size_t>(slot.receiver)];
  if (receiver.GetFramer() == nullptr || slot.channel < 0 ||
      !receiver.ChannelInUse(static_cast<std::size_t>(slot.channel))) {
    return false;
  }
  const AntCommand close = ant_command::CloseChannel(static_cast<std::uint8_t>(slot.channel));
  if (!receiver.GetFramer()->SendCommand(close.message, close.length, 0)) return false;
  PushLog("Closing Channel...");
  if (slot.deviceType == device_type::kBikePower) {
    // The combined sensor draws the cadence again.
    const int series = graphs_.AddSeries(panel, series_colour::kCadence);
    if (!WithDecoder(panel, device_type::kBikeSpeedCadence,
                     [series](CDisplay& combined) { combined.SetGraphId(1, series); })) {
      graphs_.RemoveSeries(panel, series);
    }
  }
  slot.Clear();
  return true;
}

bool ChannelPlan::WithDecoder(int panel, int deviceType, const std::function<void(CDisplay&)>& use) {
  for (auto& receiver : receivers_) {
    bool found = false;
    receiver->ForEachDecoder([&](std::size_t, CDisplay& d) {
      if (!found && d.Uiid() == panel && d.DeviceType() == deviceType) {
        use(d);
        found = true;
      }
    });
    if (found) return true;
  }
  return false;
}

void ChannelPlan::Shutdown() {
  for (auto& receiver : receivers_) {
    receiver->StopReceiveLoop();
    receiver->CloseTransport();
    receiver->DestroyDecoders();
    receiver.reset();
  }
  receivers_.clear();
}

}  // namespace vel
