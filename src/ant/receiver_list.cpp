#include "ant/receiver_list.h"

#include "ant/usb_device.h"
#include "common/ant_commands.h"
#include "common/queues.h"
#include "common/room.h"
#include "common/string_printf.h"
#include "common/verify.h"
#include "sensors/channel_decoder.h"

namespace vel {

ReceiverList::~ReceiverList() { Shutdown(); }

std::size_t ReceiverList::OpenReceivers(const ReceiverSettings& settings) {
  watcher_ = std::make_unique<StickWatcher>(settings);
  keyNeeded_ = !settings.networkKey.given;
  if (!settings.networkKey.problem.empty()) {
    PushLog(settings.networkKey.problem);
    keyAdviceGiven_ = true;  // the line says what is wrong already
  }
  const USBDeviceList<USBDevice> sticks = DiscoverAntSticks(settings.discovery);
  const std::size_t count = std::min<std::size_t>(sticks.Size(), kStickPorts);
  for (std::size_t n = 0; n < count; ++n) {
    const auto port = static_cast<std::uint8_t>(n);
    std::unique_ptr<AntReceiver> receiver = AntReceiver::OpenStick(port, sticks[n], settings);
    watcher_->Note(sticks[n]->Key(), port, receiver != nullptr);
    if (receiver) Add(std::move(receiver));
  }
  watcher_->Start();
  return LiveCount();
}

void ReceiverList::AddReceiver(std::unique_ptr<AntReceiver> receiver) { Add(std::move(receiver)); }

std::size_t ReceiverList::Add(std::unique_ptr<AntReceiver> receiver) {
  const std::size_t index = receivers_.size();
  receiver->SetIndex(static_cast<int>(index));
  AdviseOnNetworkKey(*receiver);
  receivers_.push_back(std::move(receiver));
  ready_.push_back(false);
  return index;
}

void ReceiverList::AdviseOnNetworkKey(const AntReceiver& receiver) {
  // Only real sticks hear real sensors; the simulated room takes any key.
  const int type = receiver.StickType();
  if (!keyNeeded_ || keyAdviceGiven_ || type == 0 || type == usb_device_type::kSimulated) return;
  PushLog(NetworkKeyAdvice());
  keyAdviceGiven_ = true;
}

AntReceiver* ReceiverList::Find(std::size_t index) const {
  return index < receivers_.size() ? receivers_[index].get() : nullptr;
}

std::size_t ReceiverList::LiveCount() const {
  std::size_t live = 0;
  for (std::size_t r = 0; r < receivers_.size(); ++r) live += IsLive(r) ? 1 : 0;
  return live;
}

bool ReceiverList::IsLive(std::size_t index) const {
  const AntReceiver* receiver = Find(index);
  return receiver != nullptr && !receiver->IsLost();
}

bool ReceiverList::AnyComingUp() const {
  for (std::size_t r = 0; r < receivers_.size(); ++r) {
    if (IsLive(r) && receivers_[r]->ChannelCount() == 0) return true;
  }
  return false;
}

int ReceiverList::PlaceSensor(std::size_t index, int deviceType, DecoderSetup setup) {
  // The channel plan places only sensors of the kinds the program decodes.
  VEL_VERIFY_OR_DEBUG_ASSERT(IsDecodedDeviceType(deviceType)) { return -1; }
  if (!IsLive(index)) return -1;
  AntReceiver* receiver = Find(index);
  // A sensor is opened at most once per stick.
  bool already = false;
  receiver->ForEachDecoder([&](std::size_t, CDisplay& d) {
    already = already || (d.DeviceType() == deviceType && setup.deviceNumber != 0 &&
                          d.DeviceNumber() == setup.deviceNumber);
  });
  if (already) return -1;
  PushLog("Assigning Channel...");
  const int channel = receiver->PlaceDecoder([&](std::uint8_t c) {
    setup.owner = receiver;
    setup.channelNumber = c;
    return MakeDecoder(deviceType, setup);
  });
  if (channel < 0) return -1;
  // A stick that takes no command is gone: its loop ends, and the decoder
  // goes with the stick, without a farewell.
  if (!receiver->WriteChannelCommand(ant_command::AssignChannel(static_cast<std::uint8_t>(channel),
                                                                kReceiveChannelType, kRoomNetwork),
                                     kCommandResponseWaitMs)) {
    return -1;
  }
  return channel;
}

bool ReceiverList::CloseChannel(std::size_t index, int channel) {
  AntReceiver* receiver = Find(index);
  if (receiver == nullptr || channel < 0 || receiver->GetFramer() == nullptr ||
      !receiver->ChannelInUse(static_cast<std::size_t>(channel))) {
    return false;
  }
  receiver->MarkClosing(static_cast<std::size_t>(channel));
  return receiver->WriteChannelCommand(
      ant_command::CloseChannel(static_cast<std::uint8_t>(channel)), 0);
}

void ReceiverList::ReleaseSeen(int index, int channel) {
  AntReceiver* receiver = index >= 0 ? Find(static_cast<std::size_t>(index)) : nullptr;
  if (receiver != nullptr && channel >= 0) receiver->ReleaseSeen(static_cast<std::size_t>(channel));
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
  AntReceiver* receiver = Find(index);
  if (receiver == nullptr) return false;
  bool found = false;
  receiver->ForEachDecoder([&](std::size_t, CDisplay& d) {
    if (!found && d.Uiid() == panel && d.DeviceType() == deviceType) {
      use(d);
      found = true;
    }
  });
  return found;
}

bool ReceiverList::WithChannel(std::size_t index, int channel,
                               const std::function<void(CDisplay&)>& use) {
  AntReceiver* receiver = Find(index);
  if (receiver == nullptr) return false;
  bool found = false;
  receiver->ForEachDecoder([&](std::size_t c, CDisplay& d) {
    if (static_cast<int>(c) != channel) return;
    use(d);
    found = true;
  });
  return found;
}

std::vector<std::size_t> ReceiverList::LostSticks() const {
  std::vector<std::size_t> lost;
  for (std::size_t r = 0; r < receivers_.size(); ++r) {
    if (receivers_[r] && receivers_[r]->IsLost()) lost.push_back(r);
  }
  return lost;
}

void ReceiverList::Retire(std::size_t index) {
  if (index >= receivers_.size() || !receivers_[index]) return;
  std::unique_ptr<AntReceiver> receiver = std::move(receivers_[index]);
  ready_[index] = false;
  PushLog(StringPrintf("USB device( %d ) is gone: %s", receiver->UsbDeviceNumber(),
                       receiver->StickName().c_str()));
  if (watcher_) {
    watcher_->Retire(std::move(receiver));
    return;
  }
  receiver->StopReceiveLoop();
  receiver->CloseTransport();
  receiver->DropDecoders();
}

std::vector<std::size_t> ReceiverList::AdoptFound() {
  std::vector<std::size_t> added;
  if (!watcher_) return added;
  for (auto& receiver : watcher_->TakeFound()) added.push_back(Add(std::move(receiver)));
  return added;
}

std::vector<std::size_t> ReceiverList::NewlyReady() {
  std::vector<std::size_t> ready;
  for (std::size_t r = 0; r < receivers_.size(); ++r) {
    const AntReceiver* receiver = receivers_[r].get();
    if (ready_[r] || receiver == nullptr || receiver->IsLost() || receiver->ChannelCount() == 0) {
      continue;
    }
    ready_[r] = true;
    ready.push_back(r);
  }
  return ready;
}

void ReceiverList::ScanForSticks() {
  if (watcher_) watcher_->Scan();
}

void ReceiverList::CheckChannels(std::uint64_t nowMs) {
  for (auto& receiver : receivers_) {
    if (receiver) receiver->CheckChannels(nowMs);
  }
}

void ReceiverList::Shutdown() {
  if (watcher_) watcher_->Stop();
  for (auto& receiver : receivers_) {
    if (!receiver) continue;
    receiver->StopReceiveLoop();
    receiver->CloseTransport();
    receiver->DestroyDecoders();
    receiver.reset();
  }
  receivers_.clear();
  ready_.clear();
  watcher_.reset();
}

}  // namespace vel
