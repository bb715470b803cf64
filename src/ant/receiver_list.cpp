#include "ant/receiver_list.h"

#include "common/ant_commands.h"
#include "common/queues.h"
#include "common/room.h"
#include "common/verify.h"
#include "sensors/channel_decoder.h"

namespace vel {

ReceiverList::~ReceiverList() { Shutdown(); }

std::size_t ReceiverList::OpenReceivers(const ReceiverSettings& settings) {
  for (int n = 0; n < kStickPorts; ++n) {
    if (auto receiver = AntReceiver::OpenReceiver(static_cast<std::uint8_t>(n), settings)) {
      receivers_.push_back(std::move(receiver));
    }
  }
  return receivers_.size();
}

void ReceiverList::AddReceiver(std::unique_ptr<AntReceiver> receiver) {
  receivers_.push_back(std::move(receiver));
}

int ReceiverList::PlaceSensor(std::size_t index, int deviceType, DecoderSetup setup) {
  // The channel plan places only sensors of the kinds the program decodes.
  VEL_VERIFY_OR_DEBUG_ASSERT(IsDecodedDeviceType(deviceType)) { return -1; }
  AntReceiver& receiver = At(index);
  // A sensor is opened at most once per stick.
  bool already = false;
  receiver.ForEachDecoder([&](std::size_t, CDisplay& d) {
    already = already || (d.DeviceType() == deviceType && setup.deviceNumber != 0 &&
                          d.DeviceNumber() == setup.deviceNumber);
  });
  if (already) return -1;
  PushLog("Assigning Channel...");
  const int channel = receiver.PlaceDecoder([&](std::uint8_t c) {
    setup.owner = &receiver;
    setup.channelNumber = c;
    return MakeDecoder(deviceType, setup);
  });
  if (channel < 0) return -1;
  receiver.SendChannelCommand(ant_command::AssignChannel(static_cast<std::uint8_t>(channel),
                                                         kReceiveChannelType, kRoomNetwork),
                              kCommandResponseWaitMs);
  return channel;
}

bool ReceiverList::CloseChannel(std::size_t index, int channel) {
  if (index >= receivers_.size() || channel < 0) return false;
  AntReceiver& receiver = *receivers_[index];
  if (receiver.GetFramer() == nullptr ||
      !receiver.ChannelInUse(static_cast<std::size_t>(channel))) {
    return false;
  }
  const AntCommand close = ant_command::CloseChannel(static_cast<std::uint8_t>(channel));
  return receiver.GetFramer()->SendCommand(close.message, close.length, 0);
}

bool ReceiverList::WithDecoder(int panel, int deviceType,
                               const std::function<void(CDisplay&)>& use) {
  for (std::size_t r = 0; r < receivers_.size(); ++r) {
    if (WithDecoderOn(r, panel, deviceType, use)) return true;
  }
  return false;
}

bool ReceiverList::WithDecoderOn(std::size_t index, int panel, int deviceType,
                                 const std::function<void(CDisplay&)>& use) {
  bool found = false;
  At(index).ForEachDecoder([&](std::size_t, CDisplay& d) {
    if (!found && d.Uiid() == panel && d.DeviceType() == deviceType) {
      use(d);
      found = true;
    }
  });
  return found;
}

void ReceiverList::Shutdown() {
  for (auto& receiver : receivers_) {
    receiver->StopReceiveLoop();
    receiver->CloseTransport();
    receiver->DestroyDecoders();
    receiver.reset();
  }
  receivers_.clear();
}

}  // namespace vel
