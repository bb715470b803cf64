#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "common/ant_message.h"

namespace vel {

class DSIFramerANT;

// The bring-up of one opened stick: reset it, pause, set the room's
// network key, then ask for its version and its capabilities. Each step
// after the key is sent when the stick answered the step before.
//
// Who calls what:
// - UseNetworkKey: the opener, before the stick's receive loop starts.
// - Begin: the opener's thread, once, while the receive loop runs. It sends
//   the reset and returns; the key is set after the pause by the loop, so
//   sticks opened one after another wait out their pauses side by side.
//   Without a pause it sets the key at once (a short wait for the key's
//   response) and the loop has nothing to do for it.
// - SetKeyWhenDue, Handle, BringUpAgain, IsBringingUpAgain: the stick's
//   receive loop.
// - CheckAnswers: the user-interface thread, now and then.
// - IsDone: any thread.
//
// What the results mean:
// - Handle true: the message was the bring-up's (a start-up message, the
//   version, the capabilities, or the key's response) and is done with;
//   false: it belongs to the channels.
// - IsDone: the stick sent its capabilities after its key was set; its
//   channels may be set up.
// - CheckAnswers true: the bring-up is still under way, so no channel is
//   asked about yet; when no answer came within kAnswerMs of the last key
//   sent, it sent the key again, which starts the chain anew.
//
// An answer that comes late is taken when it comes. A start-up message
// after the key was set means the stick reset by itself and forgot its
// set-up: the bring-up starts again from the key, and once it is done the
// listener sets the channels up again.
class StickBringUp {
 public:
  // How long the bring-up waits for the stick's answers before the
  // network key is set again.
  static constexpr std::uint64_t kAnswerMs = 5000;

  // What the receiver learns from the bring-up, on the receive loop.
  class Listener {
   public:
    virtual ~Listener() = default;
    // The channel count of capabilities the stick sent after its key was
    // set.
    virtual void OnChannelCount(std::size_t channels) = 0;
    // A bring-up started again by BringUpAgain (or by a reset of the
    // stick's own) is done: the channels it forgot are set up again.
    virtual void OnBroughtUpAgain() = 0;
  };

  // `usbDeviceNumber` names the stick in the log.
  StickBringUp(DSIFramerANT& framer, std::uint8_t usbDeviceNumber, Listener& listener);
  StickBringUp(const StickBringUp&) = delete;
  StickBringUp& operator=(const StickBringUp&) = delete;

  void UseNetworkKey(const std::array<std::uint8_t, 8>& key) { networkKey_ = key; }
  // Resets the stick; the network key is due `resetWait` later.
  void Begin(std::chrono::milliseconds resetWait);
  // Sets the network key when the pause after the reset is over at
  // `nowMs`; the milliseconds until it is, kNothingDue once it was set.
  static constexpr std::uint64_t kNothingDue = UINT64_MAX;
  std::uint64_t SetKeyWhenDue(std::uint64_t nowMs);
  bool Handle(const AntMessage& message, std::uint16_t length);
  // The stick forgot its set-up: key again, and the channels again after.
  void BringUpAgain();
  bool IsBringingUpAgain() const { return again_; }
  bool CheckAnswers(std::uint64_t nowMs);
  bool IsDone() const { return done_.load(); }

 private:
  void OnStartup(std::uint8_t reason);
  void OnNetworkKeyResponse(std::uint8_t code);
  void OnCapabilities(const AntMessage& message, std::uint16_t length);
  void SendNetworkKey();
  void Request(std::uint8_t what);

  DSIFramerANT& framer_;
  const std::uint8_t usbDeviceNumber_;
  Listener& listener_;
  std::array<std::uint8_t, 8> networkKey_{};
  std::atomic<bool> keySet_{false};
  std::atomic<bool> done_{false};  // capabilities answered after the key was set
  std::atomic<std::uint64_t> keySentMs_{0};
  // When the key is due after the reset; kNothingDue once it was sent.
  std::atomic<std::uint64_t> keyDueMs_{kNothingDue};
  bool again_ = false;  // receive loop only
};

}  // namespace vel
