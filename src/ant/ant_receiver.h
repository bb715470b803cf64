#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ant/device_discovery.h"
#include "ant/framer.h"
#include "ant/network_key.h"
#include "ant/serial.h"
#include "ant/stick_bring_up.h"
#include "sensors/channel_command_sink.h"

namespace vel {

class CDisplay;
class USBDevice;

// How sticks are brought up and watched.
struct ReceiverSettings {
  DiscoverySettings discovery = DiscoverySettings::FromEnvironment();
  // The pause after the reset command, before the network key is set.
  std::chrono::milliseconds resetWait{1000};
  // The network key set on network 0.
  NetworkKeySetting networkKey = ReadNetworkKey(nullptr);
  // How often the sticks are listed again, to find one plugged in while the
  // program runs; 0 lists them only when asked.
  std::chrono::milliseconds rescanPeriod{1000};

  // Sticks as the environment lists them, with the network key of
  // VEL_ANT_NETWORK_KEY (16 hex digits) or the program's own.
  static ReceiverSettings FromEnvironment();
};

// One opened ANT stick: its transport and framer, its bring-up
// (StickBringUp), the receive loop that takes the stick's messages and
// hands each to the bring-up or to the decoder of its channel, and the
// table of channels, empty until the stick has reported how many it has.
//
// Threads: the receive loop handles every message and is the only one to
// empty a channel entry (when the stick confirms an unassignment, or when a
// stick that reset itself has forgotten a closing channel); the
// user-interface thread fills empty entries, looks decoders up and checks
// the channels. Entries are atomics; a decoder is destroyed only under the
// table lock, which lookups from other threads take as well, so a decoder
// is never used while it is being destroyed.
//
// A stick that is lost (its transport reports it gone, or a command cannot
// be written) ends its receive loop by itself and says so in IsLost; its
// owner then stops it and drops its decoders without farewells.
class AntReceiver : public ChannelCommandSink, private StickBringUp::Listener {
 public:
  // How long a channel may stay silent before the stick is asked about it:
  // longer than any search the stick makes on its own.
  static constexpr std::uint64_t kQuietChannelMs = 60000;

  // A receiver around a framer (never null) that something else feeds
  // (tools, tests): decoders reach the framer through it; no loop runs.
  explicit AntReceiver(DSIFramerANT* framer);
  ~AntReceiver() override;
  AntReceiver(const AntReceiver&) = delete;
  AntReceiver& operator=(const AntReceiver&) = delete;

  // Opens the stick at `usbDeviceNumber` (a port of the stick list), starts
  // its receive loop and resets it; the loop sets the network key after the
  // pause, and the rest of the bring-up follows the stick's answers. None
  // when it cannot be opened.
  static std::unique_ptr<AntReceiver> OpenReceiver(std::uint8_t usbDeviceNumber,
                                                   const ReceiverSettings& settings);
  // The same over a transport made by the caller (not yet opened).
  static std::unique_ptr<AntReceiver> OpenReceiver(std::uint8_t usbDeviceNumber,
                                                   std::unique_ptr<DSISerial> transport,
                                                   const ReceiverSettings& settings);
  // The stick of this record (found by a listing), known to the log as
  // USB device `usbDeviceNumber`.
  static std::unique_ptr<AntReceiver> OpenStick(std::uint8_t usbDeviceNumber,
                                                std::shared_ptr<const USBDevice> stick,
                                                const ReceiverSettings& settings);

  DSIFramerANT* GetFramer() const { return framer_; }
  // Decoders' channel commands go out through the stick's framer.
  void SendChannelCommand(const AntCommand& command, std::uint32_t responseWaitMs) override;
  // The same; false when the command could not be written to the stick.
  bool WriteChannelCommand(const AntCommand& command, std::uint32_t responseWaitMs);
  std::uint8_t UsbDeviceNumber() const { return usbDeviceNumber_; }
  // The stick's key and name (USBDevice::Key and Describe); empty for a
  // receiver made around a framer.
  const std::string& StickKey() const { return stickKey_; }
  const std::string& StickName() const { return stickName_; }
  // The kind of stick (usb_device_type); 0 when unknown.
  int StickType() const { return stickType_; }

  // Its index in the room's list of sticks, which channel-released events
  // carry; -1 until it is listed.
  void SetIndex(int index) { index_.store(index); }
  int Index() const { return index_.load(); }

  // True once the receive loop has ended because the stick is gone.
  bool IsLost() const { return lost_.load(std::memory_order_acquire); }

  // Messages of the stick the receive loop has handled so far.
  std::uint64_t MessagesHandled() const { return messagesHandled_.load(std::memory_order_acquire); }

  // Channels of the stick; 0 until its capabilities arrived.
  std::size_t ChannelCount() const { return channelCount_.load(std::memory_order_acquire); }
  // Puts a new decoder on the lowest empty channel; -1 when there is none.
  int PlaceDecoder(const std::function<std::unique_ptr<CDisplay>(std::uint8_t channel)>& make);
  bool ChannelInUse(std::size_t channel) const;
  // The user closed the channel: a stick that resets before confirming it
  // has forgotten the channel, which is then released at once.
  void MarkClosing(std::size_t channel);
  // The board has seen the release of this channel: it may be taken again.
  void ReleaseSeen(std::size_t channel);
  // Calls `visit` for every decoder, with the table lock held.
  void ForEachDecoder(const std::function<void(std::size_t channel, CDisplay&)>& visit) const;

  // User-interface thread, now and then: a stick whose bring-up lost an
  // answer gets its network key again, and a channel silent for longer
  // than kQuietChannelMs is asked for its status; what the stick answers
  // decides whether the channel is released, closed or left alone.
  void CheckChannels(std::uint64_t nowMs);

  // Shutdown, in this order: the loop stopped by its flag and a wait, the
  // transport closed, the remaining decoders destroyed (their farewells
  // still go to the event queue).
  void StopReceiveLoop();
  void CloseTransport();
  void DestroyDecoders();
  // For a lost stick after its loop stopped: the decoders go without
  // farewells, since their sensors carry on on other sticks.
  void DropDecoders();

  // What the receive loop does with one message of the stick: stick-wide
  // messages here, channel messages to their decoder. Public so that a
  // receiver without a loop can be driven message by message.
  void HandleMessage(const AntMessage& message, std::uint16_t length);

 private:
  struct Entry {
    std::atomic<CDisplay*> decoder{nullptr};
    // Released, and the release not yet seen by the board: the channel is
    // not taken again before, so a release never meets a slot that names
    // the channel for a later sensor.
    std::atomic<bool> released{false};
    std::atomic<bool> closing{false};
    std::atomic<bool> asked{false};  // its status was asked for a silence
    std::atomic<std::uint64_t> lastHeardMs{0};
  };

  AntReceiver(std::uint8_t usbDeviceNumber, std::unique_ptr<DSISerial> transport);
  static std::unique_ptr<AntReceiver> Start(std::unique_ptr<AntReceiver> receiver,
                                            std::uint8_t transportPort,
                                            const ReceiverSettings& settings);
  void ReceiveLoop();
  void OnChannelStatus(std::uint8_t channel, std::uint8_t status);
  // The table is sized by the first capabilities that arrive after the
  // network key was set.
  void OnChannelCount(std::size_t channels) override;
  void OnBroughtUpAgain() override { AssignChannelsAgain(); }
  void AssignChannelsAgain();
  void ReleaseChannel(std::uint8_t channel);
  void Request(std::uint8_t channel, std::uint8_t what);
  Entry* EntryOf(std::size_t channel) const;

  std::uint8_t usbDeviceNumber_ = 0;
  std::string stickKey_;
  std::string stickName_;
  int stickType_ = 0;
  std::unique_ptr<DSISerial> transport_;
  std::unique_ptr<DSIFramerANT> ownedFramer_;
  DSIFramerANT* framer_;
  std::atomic<int> index_{-1};
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_{false};
  std::atomic<std::uint64_t> messagesHandled_{0};
  std::thread receiveThread_;

  // The receive loop moves it on; the user-interface thread sets the key
  // again when an answer is overdue.
  StickBringUp bringUp_;
  bool hasLoop_ = false;  // set before the receiver is handed out

  mutable std::mutex tableMutex_;
  std::unique_ptr<Entry[]> table_;
  std::atomic<std::size_t> channelCount_{0};
};

}  // namespace vel
