#include "ant/ant_receiver.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ant/serial_generic.h"
#include "ant/usb_device.h"
#include "common/queues.h"
#include "common/string_printf.h"
#include "common/thread_name.h"
#include "common/tick_clock.h"
#include "common/verify.h"
#include "crash/thread_signal_stack.h"
#include "sensors/channel_decoder.h"
#include "sensors/sensor_event.h"

namespace vel {
namespace {

constexpr std::uint32_t kBaudRate = 57600;
constexpr std::uint32_t kAwaitMs = 1000;

const char* StatusName(std::uint8_t state) {
  switch (state & 3) {
    case 0: return "STATUS_UNASSIGNED_CHANNEL";
    case 1: return "STATUS_ASSIGNED_CHANNEL";
    case 2: return "STATUS_SEARCHING_CHANNEL";
    default: return "STATUS_TRACKING_CHANNEL";
  }
}

// A framer error that means the stick is gone: it vanished, reading from it
// failed, or it took no command.
bool IsLoss(const AntMessage& error) {
  if (error.id != DSIFramerANT::kStatusSerialError) return false;
  const std::uint8_t code = error.data[0];
  return code == serial_error::kDeviceGone || code == serial_error::kReadFailed ||
         code == serial_error::kWriteFailed;
}

}  // namespace

ReceiverSettings ReceiverSettings::FromEnvironment() {
  ReceiverSettings settings;
  settings.networkKey = ReadNetworkKey(std::getenv("VEL_ANT_NETWORK_KEY"));
  return settings;
}

AntReceiver::AntReceiver(DSIFramerANT* framer) : framer_(framer), bringUp_(*framer_, 0, *this) {}

AntReceiver::AntReceiver(std::uint8_t usbDeviceNumber, std::unique_ptr<DSISerial> transport)
    : usbDeviceNumber_(usbDeviceNumber),
      transport_(std::move(transport)),
      ownedFramer_(std::make_unique<DSIFramerANT>(transport_.get())),
      framer_(ownedFramer_.get()),
      bringUp_(*framer_, usbDeviceNumber_, *this) {}

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
  if (!transport) return nullptr;
  return Start(std::unique_ptr<AntReceiver>(new AntReceiver(usbDeviceNumber, std::move(transport))),
               usbDeviceNumber, settings);
}

std::unique_ptr<AntReceiver> AntReceiver::OpenStick(std::uint8_t usbDeviceNumber,
                                                    std::shared_ptr<const USBDevice> stick,
                                                    const ReceiverSettings& settings) {
  if (!stick) return nullptr;
  // A transport that knows only this stick: it opens it, or nothing, even
  // when other sticks came or went since it was listed.
  auto transport = std::make_unique<DSISerialGeneric>(DSISerialGeneric::DeviceEnumerator([stick] {
    USBDeviceList<USBDevice> list;
    list.Add(std::shared_ptr<USBDevice>(stick->Clone()));
    return list;
  }));
  std::unique_ptr<AntReceiver> receiver(new AntReceiver(usbDeviceNumber, std::move(transport)));
  receiver->stickKey_ = stick->Key();
  receiver->stickName_ = stick->Describe();
  receiver->stickType_ = stick->GetDeviceType();
  return Start(std::move(receiver), 0, settings);
}

std::unique_ptr<AntReceiver> AntReceiver::Start(std::unique_ptr<AntReceiver> receiver,
                                                std::uint8_t transportPort,
                                                const ReceiverSettings& settings) {
  if (!receiver->transport_->Init(kBaudRate, transportPort)) return nullptr;
  receiver->bringUp_.UseNetworkKey(settings.networkKey.key);
  receiver->transport_->SetCallback(receiver->framer_);
  if (!receiver->transport_->Open()) return nullptr;
  receiver->hasLoop_ = true;
  receiver->receiveThread_ = std::thread(&AntReceiver::ReceiveLoop, receiver.get());
  receiver->bringUp_.Begin(settings.resetWait);
  return receiver;
}

void AntReceiver::ReceiveLoop() {
  InstallThreadSignalStack();
  NameThisThread("ant-loop");
  AntMessage message;
  bool gone = false;
  while (!stop_.load()) {
    // The wait ends early when the bring-up's pause after the reset does.
    const std::uint64_t keyDue = bringUp_.SetKeyWhenDue(TickCount64());
    const auto awaitMs = static_cast<std::uint32_t>(std::min<std::uint64_t>(kAwaitMs, keyDue));
    const std::uint16_t waiting = framer_->AwaitMessage(std::max<std::uint32_t>(awaitMs, 1));
    if (waiting == DSIFramerANT::kResultTimeout) continue;
    const std::uint16_t length = framer_->TakeMessage(message, 0);
    if (stop_.load()) break;
    // A framer error is cleared by the take that reported it; the stick's
    // next message is handled as usual rather than thrown away. Only the
    // stick's loss ends the loop: nothing more will come.
    if (length == DSIFramerANT::kResultError && IsLoss(message)) {
      gone = true;
      break;
    }
    if (length == DSIFramerANT::kResultError || length == DSIFramerANT::kResultTimeout) continue;
    if (length != 0) HandleMessage(message, length);
    messagesHandled_.fetch_add(1, std::memory_order_release);
  }
  // Last: whoever sees the loss sees every event this loop pushed before it.
  if (gone) lost_.store(true, std::memory_order_release);
}

void AntReceiver::HandleMessage(const AntMessage& message, std::uint16_t length) {
  if (bringUp_.Handle(message, length)) return;
  const std::uint8_t* data = message.data.data();
  switch (message.id) {
    case ant_id::kChannelStatus:
      if (length < 2) return;
      PushLog("Got Status");
      PushLog(StringPrintf("STATUS: %s", StatusName(data[1])));
      OnChannelStatus(data[0], data[1]);
      return;
    case ant_id::kChannelResponse:
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
  Entry* entry = EntryOf(data[0]);
  if (entry == nullptr) return;
  if (CDisplay* decoder = entry->decoder.load(std::memory_order_acquire)) {
    // The answer to enabling extended messages is the stick's, sent as
    // channel 0's: it says nothing about channel 0 being alive.
    const bool stickWide = message.id == ant_id::kChannelResponse && length >= 2 &&
                           data[1] == ant_id::kEnableExtendedMessages;
    if (!stickWide) entry->lastHeardMs.store(TickCount64(), std::memory_order_relaxed);
    decoder->ProcessMessage(message, length);
  }
}

void AntReceiver::OnChannelCount(std::size_t channels) {
  std::lock_guard lock(tableMutex_);
  if (channelCount_.load() != 0) return;  // sized once
  table_ = std::make_unique<Entry[]>(channels);
  channelCount_.store(channels, std::memory_order_release);
}

void AntReceiver::OnChannelStatus(std::uint8_t channel, std::uint8_t status) {
  Entry* entry = EntryOf(channel);
  // Only an answer to a question about a silent channel is acted on.
  if (entry == nullptr || entry->decoder.load() == nullptr || !entry->asked.exchange(false)) return;
  const bool closing = entry->closing.load();
  switch (status & 3) {
    case 0:
      // Unassigned: a closing channel whose unassignment went unanswered is
      // gone; any other means the stick reset without a word.
      if (closing) {
        ReleaseChannel(channel);
      } else if (!bringUp_.IsBringingUpAgain()) {
        PushLog(StringPrintf("USB device( %d ) forgot its channels; setting it up again",
                             usbDeviceNumber_));
        bringUp_.BringUpAgain();
      }
      return;
    case 1: {
      // Assigned but not open: a step of the set-up or of the closing went
      // unanswered. Unassigning releases the channel, and a sensor still
      // wanted is registered again.
      PushLog("Unassigning channel...");
      const AntCommand unassign = ant_command::UnassignChannel(channel);
      SendChannelCommand(unassign, kCommandResponseWaitMs);
      return;
    }
    default:
      if (closing) {
        const AntCommand close = ant_command::CloseChannel(channel);
        SendChannelCommand(close, 0);
      }
      return;
  }
}

void AntReceiver::AssignChannelsAgain() {
  std::vector<std::uint8_t> closing;
  std::vector<std::uint8_t> wanted;
  {
    std::lock_guard lock(tableMutex_);
    for (std::size_t c = 0; c < ChannelCount(); ++c) {
      if (table_[c].decoder.load() == nullptr) continue;
      (table_[c].closing.load() ? closing : wanted).push_back(static_cast<std::uint8_t>(c));
    }
  }
  // A channel the user closed is not set up again: it is simply released.
  for (std::uint8_t c : closing) ReleaseChannel(c);
  for (std::uint8_t c : wanted) {
    PushLog("Assigning Channel...");
    table_[c].lastHeardMs.store(TickCount64());
    // The decoder takes the chain on from the stick's answer, as at first.
    SendChannelCommand(ant_command::AssignChannel(c, kReceiveChannelType, kRoomNetwork),
                       kCommandResponseWaitMs);
  }
}

void AntReceiver::ReleaseChannel(std::uint8_t channel) {
  Entry* entry = EntryOf(channel);
  if (entry == nullptr) return;
  int uiid = 0;
  int deviceNumber = 0;
  int deviceType = 0;
  {
    std::lock_guard lock(tableMutex_);
    CDisplay* decoder = entry->decoder.load();
    if (decoder == nullptr) return;
    uiid = decoder->Uiid();
    deviceNumber = decoder->DeviceNumber();
    deviceType = decoder->DeviceType();
    entry->released.store(true);
    entry->decoder.store(nullptr);
    delete decoder;  // its farewell events go first
  }
  PushEvent(BuildReleasedEvent(uiid, deviceNumber, deviceType, Index(), channel));
}

void AntReceiver::ReleaseSeen(std::size_t channel) {
  if (Entry* entry = EntryOf(channel)) entry->released.store(false);
}

void AntReceiver::Request(std::uint8_t channel, std::uint8_t what) {
  const AntCommand request = ant_command::RequestMessage(channel, what);
  framer_->WriteMessage(request.message, request.length);
}

void AntReceiver::SendChannelCommand(const AntCommand& command, std::uint32_t responseWaitMs) {
  WriteChannelCommand(command, responseWaitMs);
}

bool AntReceiver::WriteChannelCommand(const AntCommand& command, std::uint32_t responseWaitMs) {
  VEL_VERIFY_OR_DEBUG_ASSERT(framer_ != nullptr) { return false; }
  bool written = false;
  framer_->SendCommand(command.message, command.length, responseWaitMs, &written);
  return written;
}

AntReceiver::Entry* AntReceiver::EntryOf(std::size_t channel) const {
  // The table is sized once, before the count is published.
  return channel < ChannelCount() ? &table_[channel] : nullptr;
}

int AntReceiver::PlaceDecoder(
    const std::function<std::unique_ptr<CDisplay>(std::uint8_t channel)>& make) {
  std::lock_guard lock(tableMutex_);
  const std::size_t count = ChannelCount();
  for (std::size_t c = 0; c < count; ++c) {
    Entry& entry = table_[c];
    if (entry.decoder.load() != nullptr || entry.released.load()) continue;
    std::unique_ptr<CDisplay> decoder = make(static_cast<std::uint8_t>(c));
    if (!decoder) return -1;
    entry.closing.store(false);
    entry.asked.store(false);
    entry.lastHeardMs.store(TickCount64());
    entry.decoder.store(decoder.release(), std::memory_order_release);
    return static_cast<int>(c);
  }
  return -1;
}

bool AntReceiver::ChannelInUse(std::size_t channel) const {
  const Entry* entry = EntryOf(channel);
  return entry != nullptr && entry->decoder.load() != nullptr;
}

void AntReceiver::MarkClosing(std::size_t channel) {
  if (Entry* entry = EntryOf(channel)) entry->closing.store(true);
}

void AntReceiver::ForEachDecoder(
    const std::function<void(std::size_t channel, CDisplay&)>& visit) const {
  std::lock_guard lock(tableMutex_);
  const std::size_t count = ChannelCount();
  for (std::size_t c = 0; c < count; ++c) {
    if (CDisplay* decoder = table_[c].decoder.load()) visit(c, *decoder);
  }
}

void AntReceiver::CheckChannels(std::uint64_t nowMs) {
  if (!hasLoop_ || IsLost()) return;
  if (bringUp_.CheckAnswers(nowMs)) return;
  const std::size_t count = ChannelCount();
  for (std::size_t c = 0; c < count; ++c) {
    Entry& entry = table_[c];
    if (entry.decoder.load() == nullptr) continue;
    if (nowMs < entry.lastHeardMs.load() + kQuietChannelMs) continue;
    entry.asked.store(true);
    entry.lastHeardMs.store(nowMs);
    Request(static_cast<std::uint8_t>(c), ant_id::kChannelStatus);
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
  for (std::size_t c = 0; c < count; ++c) delete table_[c].decoder.exchange(nullptr);
}

void AntReceiver::DropDecoders() {
  std::lock_guard lock(tableMutex_);
  const std::size_t count = ChannelCount();
  for (std::size_t c = 0; c < count; ++c) {
    if (CDisplay* decoder = table_[c].decoder.exchange(nullptr)) {
      decoder->ForgetPanel();
      delete decoder;
    }
  }
}

}  // namespace vel
