#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "ant/device_discovery.h"
#include "ant/framer.h"
#include "ant/serial.h"
#include "sensors/channel_command_sink.h"

namespace vel {

class CDisplay;

// How sticks are brought up.
struct ReceiverSettings {
  DiscoverySettings discovery = DiscoverySettings::FromEnvironment();
  // The pause after the reset command, before the network key is set.
  std::chrono::milliseconds resetWait{1000};
  // The network key set on network 0.
  std::array<std::uint8_t, 8> networkKey{};

  // Sticks as the environment lists them, with the network key of
  // VEL_ANT_NETWORK_KEY (16 hex digits) or the program's own.
  static ReceiverSettings FromEnvironment();
};

// The program's own network key, used unless VEL_ANT_NETWORK_KEY names one;
// "" or malformed text also gives it.
std::array<std::uint8_t, 8> NetworkKeyFrom(const char* hexText);

// One opened ANT stick: its transport and framer, the receive loop that
// takes the stick's messages and hands each to the decoder of its channel,
// and the table of channels, empty until the stick has reported how many
// it has.
//
// Threads: the receive loop handles every message and is the only one to
// empty a channel entry (when the stick confirms an unassignment); the
// user-interface thread fills empty entries and looks decoders up. Entries
// are atomics; a decoder is destroyed only under the table lock, which
// lookups from other threads take as well, so a decoder is never used
// while it is being destroyed.
class AntReceiver : public ChannelCommandSink {
 public:
  // A receiver around a framer that something else feeds (tools, tests):
  // decoders reach the framer through it; no loop runs.
  explicit AntReceiver(DSIFramerANT* framer);
  ~AntReceiver() override;
  AntReceiver(const AntReceiver&) = delete;
  AntReceiver& operator=(const AntReceiver&) = delete;

  // Opens the stick at `usbDeviceNumber` (a port of the stick list), starts
  // its receive loop, resets it and sets the network key; the rest of the
  // bring-up follows the stick's answers. None when it cannot be opened.
  static std::unique_ptr<AntReceiver> OpenReceiver(std::uint8_t usbDeviceNumber,
                                                   const ReceiverSettings& settings);
  // The same over a transport made by the caller (not yet opened).
  static std::unique_ptr<AntReceiver> OpenReceiver(std::uint8_t usbDeviceNumber,
                                                   std::unique_ptr<DSISerial> transport,
                                                   const ReceiverSettings& settings);

  DSIFramerANT* GetFramer() const { return framer_; }
  // Decoders' channel commands go out through the stick's framer.
  void SendChannelCommand(const AntCommand& command, std::uint32_t responseWaitMs) override;
  std::uint8_t UsbDeviceNumber() const { return usbDeviceNumber_; }

  // Messages of the stick the receive loop has handled so far.
  std::uint64_t MessagesHandled() const { return messagesHandled_.load(std::memory_order_acquire); }

  // Channels of the stick; 0 until its capabilities arrived.
  std::size_t ChannelCount() const { return channelCount_.load(std::memory_order_acquire); }
  // Puts a new decoder on the lowest empty channel; -1 when there is none.
  int PlaceDecoder(const std::function<std::unique_ptr<CDisplay>(std::uint8_t channel)>& make);
  bool ChannelInUse(std::size_t channel) const;
  // Calls `visit` for every decoder, with the table lock held.
  void ForEachDecoder(const std::function<void(std::size_t channel, CDisplay&)>& visit) const;

  // Shutdown, in this order: the loop stopped by its flag and a wait, the
  // transport closed, the remaining decoders destroyed (their farewells
  // still go to the event queue).
  void StopReceiveLoop();
  void CloseTransport();
  void DestroyDecoders();

  // What the receive loop does with one message of the stick: stick-wide
  // messages here, channel messages to their decoder. Public so that a
  // receiver without a loop can be driven message by message.
  void HandleMessage(const AntMessage& message, std::uint16_t length);

 private:
  AntReceiver(std::uint8_t usbDeviceNumber, std::unique_ptr<DSISerial> transport);
  void ReceiveLoop();
  void OnStartup(std::uint8_t reason);
  void OnCapabilities(const AntMessage& message, std::uint16_t length);
  void ReleaseChannel(std::uint8_t channel);
  void Request(std::uint8_t what);

  std::uint8_t usbDeviceNumber_ = 0;
  std::unique_ptr<DSISerial> transport_;
  std::unique_ptr<DSIFramerANT> ownedFramer_;
  DSIFramerANT* framer_;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> messagesHandled_{0};
  std::thread receiveThread_;

  mutable std::mutex tableMutex_;
  std::unique_ptr<std::atomic<CDisplay*>[]> table_;
  std::atomic<std::size_t> channelCount_{0};
};

}  // namespace vel
