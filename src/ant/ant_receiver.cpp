#include "ant/ant_receiver.h"

#include <cstdlib>
#include <string>

#include "ant/serial_generic.h"
#include "common/queues.h"
#include "common/string_printf.h"
#include "crash/thread_signal_stack.h"
#include "sensors/channel_decoder.h"
#include "sensors/sensor_event.h"

namespace vel {
namespace {

constexpr std::uint32_t kBaudRate = 57600;
constexpr std::uint32_t kAwaitMs = 1000;

// The program's own network key. Real ANT+ sensors answer only on the
// ANT+ network, whose key ANT+ adopters obtain from the ANT+ alliance; the
// studio sets it with VEL_ANT_NETWORK_KEY.
constexpr std::array<std::uint8_t, 8> kOwnNetworkKey = {'V', 'E', 'L', '-', 'R', 'O', 'O', 'M'};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char* StatusName(std::uint8_t state) {
  switch (state & 3) {
    case 0: return "STATUS_UNASSIGNED_CHANNEL";
    case 1: return "STATUS_ASSIGNED_CHANNEL";
    case 2: return "STATUS_SEARCHING_CHANNEL";
    default: return "STATUS_TRACKING_CHANNEL";
  }
}

}  // namespace

std::array<std::uint8_t, 8> NetworkKeyFrom(const char* hexText) {
  if (hexText == nullptr || std::string(hexText).size() != 16) return kOwnNetworkKey;
  std::array<std::uint8_t, 8> key{};
  for (std::size_t i = 0; i < key.size(); ++i) {
    const int hi = HexValue(hexText[2 * i]);
    const int lo = HexValue(hexText[2 * i + 1]);
    if (hi < 0 || lo < 0) return kOwnNetworkKey;
    key[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return key;
}

ReceiverSettings ReceiverSettings::FromEnvironment() {
  ReceiverSettings settings;
  settings.networkKey = NetworkKeyFrom(std::getenv("VEL_ANT_NETWORK_KEY"));
  return settings;
}

AntReceiver::AntReceiver(DSIFramerANT* framer) : framer_(framer) {}

AntReceiver::AntReceiver(std::uint8_t usbDeviceNumber, std::unique_ptr<DSISerial> transport)
    : usbDeviceNumber_(usbDeviceNumber),
      transport_(std::move(transport)),
      ownedFramer_(std::make_unique<DSIFramerANT>(transport_.get())),
      framer_(ownedFramer_.get()) {}

AntReceiver::~AntReceiver() {
  StopReceiveLoop();
  CloseTransport();
  DestroyDecoders();
}

std::unique_ptr<AntReceiver> AntReceiver::OpenReceiver(std::uint8_t usbDeviceNumber,
                                                       const ReceiverSettings& settings) {
  return OpenReceiver(usbDeviceNumber, std::make_unique<DSISerialGeneric>(settings.discovery),
                      settings);
}

std::unique_ptr<AntReceiver> AntReceiver::OpenReceiver(std::uint8_t usbDeviceNumber,
                                                       std::unique_ptr<DSISerial> transport,
                                                       const ReceiverSettings& settings) {
  if (!transport || !transport->Init(kBaudRate, usbDeviceNumber)) return nullptr;
  std::unique_ptr<AntReceiver> receiver(new AntReceiver(usbDeviceNumber, std::move(transport)));
  receiver->transport_->SetCallback(receiver->framer_);
  if (!receiver->transport_->Open()) return nullptr;
  receiver->receiveThread_ = std::thread(&AntReceiver::ReceiveLoop, receiver.get());

  PushLog(StringPrintf("USB device( %d ) initialisation was successful!", usbDeviceNumber));
  PushLog("Resetting module...");
  receiver->framer_->ResetSystem();
  std::this_thread::sleep_for(settings.resetWait);

  PushLog("Setting network key...");
  // The answer drives the rest of the bring-up in the receive loop.
  receiver->SendChannelCommand(ant_command::SetNetworkKey(kRoomNetwork, settings.networkKey),
                               kCommandResponseWaitMs);
  return receiver;
}

void AntReceiver::ReceiveLoop() {
  InstallThreadSignalStack();
  AntMessage message;
  while (!stop_.load()) {
    const std::uint16_t waiting = framer_->AwaitMessage(kAwaitMs);
    if (waiting == DSIFramerANT::kResultTimeout) continue;
    const std::uint16_t length = framer_->TakeMessage(message, 0);
    if (stop_.load()) break;
    // A framer error is cleared by the take that reported it; the stick's
    // next message is handled as usual rather than thrown away.
    if (length == DSIFramerANT::kResultError || length == DSIFramerANT::kResultTimeout) continue;
    if (length != 0) HandleMessage(message, length);
    messagesHandled_.fetch_add(1, std::memory_order_release);
  }
}

void AntReceiver::HandleMessage(const AntMessage& message, std::uint16_t length) {
  const std::uint8_t* data = message.data.data();
  switch (message.id) {
    case ant_id::kStartup: OnStartup(data[0]); return;
    case ant_id::kVersion: {
      std::string version;
      for (std::uint16_t i = 0; i < length && data[i] != 0; ++i) {
        version += static_cast<char>(data[i]);
      }
      PushLog("VERSION: " + version);
      Request(ant_id::kCapabilities);
      return;
    }
    case ant_id::kCapabilities: OnCapabilities(message, length); return;
    case ant_id::kChannelStatus:
      if (length < 2) return;
      PushLog("Got Status");
      PushLog(StringPrintf("STATUS: %s", StatusName(data[1])));
      return;
    case ant_id::kChannelResponse:
      if (length >= 3 && data[1] == ant_id::kNetworkKey) {
        if (data[2] == ant_code::RESPONSE_NO_ERROR) {
          PushLog("Network key set.");
          Request(ant_id::kVersion);
        } else {
          PushLog(StringPrintf("Error configuring network key: Code 0%d", data[2]));
        }
        return;
      }
      if (length >= 3 && data[1] == ant_id::kUnassignChannel) {
        if (data[2] == ant_code::RESPONSE_NO_ERROR) {
          PushLog("Channel unassigned");
          ReleaseChannel(data[0]);
        } else {
          PushLog(StringPrintf("Error unassigning channel: Code 0%d", data[2]));
        }
        return;
      }
      break;
    default: break;
  }
  // Everything else belongs to the channel in data byte 0, if it has a
  // decoder; a channel beyond the table is dropped.
  const std::size_t channel = data[0];
  if (channel >= ChannelCount()) return;
  if (CDisplay* decoder = table_[channel].load(std::memory_order_acquire)) {
    decoder->ProcessMessage(message, length);
  }
}

void AntReceiver::OnStartup(std::uint8_t reason) {
  std::string line = "RESET Complete, reason : ";
  if (reason == 0) line += "RESET_POR";
  if (reason & 0x80) line += "RESET_SUSPEND";
  if (reason & 0x40) line += "RESET_SYNC";
  if (reason & 0x20) line += "RESET_CMD";
  if (reason & 0x02) line += "RESET_WDT";
  if (reason & 0x01) line += "RESET_RST";
  PushLog(line);
}

void AntReceiver::OnCapabilities(const AntMessage& message, std::uint16_t length) {
  if (length < 2) return;
  PushLog(StringPrintf("Max ANT Channels: %d", message.data[0]));
  PushLog(StringPrintf("Max ANT Networks: %d", message.data[1]));
  std::lock_guard lock(tableMutex_);
  if (channelCount_.load() != 0) return;  // sized once
  const std::size_t channels = message.data[0];
  table_ = std::make_unique<std::atomic<CDisplay*>[]>(channels);
  for (std::size_t i = 0; i < channels; ++i) table_[i].store(nullptr);
  channelCount_.store(channels, std::memory_order_release);
}

void AntReceiver::ReleaseChannel(std::uint8_t channel) {
  if (channel >= ChannelCount()) return;
  int uiid = 0;
  int deviceNumber = 0;
  int deviceType = 0;
  {
    std::lock_guard lock(tableMutex_);
    CDisplay* decoder = table_[channel].load();
    if (decoder == nullptr) return;
    uiid = decoder->Uiid();
    deviceNumber = decoder->DeviceNumber();
    deviceType = decoder->DeviceType();
    table_[channel].store(nullptr);
    delete decoder;  // its farewell events go first
  }
  PushEvent(BuildReleasedEvent(uiid, deviceNumber, deviceType));
}

void AntReceiver::Request(std::uint8_t what) {
  const AntCommand request = ant_command::RequestMessage(0, what);
  framer_->WriteMessage(request.message, request.length);
}

void AntReceiver::SendChannelCommand(const AntCommand& command, std::uint32_t responseWaitMs) {
  if (framer_ != nullptr) framer_->SendCommand(command.message, command.length, responseWaitMs);
}

int AntReceiver::PlaceDecoder(
    const std::function<std::unique_ptr<CDisplay>(std::uint8_t channel)>& make) {
  std::lock_guard lock(tableMutex_);
  const std::size_t count = ChannelCount();
  for (std::size_t c = 0; c < count; ++c) {
    if (table_[c].load() != nullptr) continue;
    std::unique_ptr<CDisplay> decoder = make(static_cast<std::uint8_t>(c));
    if (!decoder) return -1;
    table_[c].store(decoder.release(), std::memory_order_release);
    return static_cast<int>(c);
  }
  return -1;
}

bool AntReceiver::ChannelInUse(std::size_t channel) const {
  return channel < ChannelCount() && table_[channel].load() != nullptr;
}

void AntReceiver::ForEachDecoder(
    const std::function<void(std::size_t channel, CDisplay&)>& visit) const {
  std::lock_guard lock(tableMutex_);
  const std::size_t count = ChannelCount();
  for (std::size_t c = 0; c < count; ++c) {
    if (CDisplay* decoder = table_[c].load()) visit(c, *decoder);
  }
}

void AntReceiver::StopReceiveLoop() {
  stop_.store(true);
  if (receiveThread_.joinable()) receiveThread_.join();
}

void AntReceiver::CloseTransport() {
  if (transport_) transport_->Close(false);
}

void AntReceiver::DestroyDecoders() {
  std::lock_guard lock(tableMutex_);
  const std::size_t count = ChannelCount();
  for (std::size_t c = 0; c < count; ++c) delete table_[c].exchange(nullptr);
}

}  // namespace vel
