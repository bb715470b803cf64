#include "ant/stick_bring_up.h"

#include <string>

#include "ant/framer.h"
#include "common/ant_commands.h"
#include "common/queues.h"
#include "common/string_printf.h"
#include "common/tick_clock.h"

namespace vel {

StickBringUp::StickBringUp(DSIFramerANT& framer, std::uint8_t usbDeviceNumber, Listener& listener)
    : framer_(framer), usbDeviceNumber_(usbDeviceNumber), listener_(listener) {}

void StickBringUp::Begin(std::chrono::milliseconds resetWait) {
  PushLog(StringPrintf("USB device( %d ) initialisation was successful!", usbDeviceNumber_));
  PushLog("Resetting module...");
  // The pause counts as waiting for an answer: the time-out that sets the
  // key again runs from here until the key goes out.
  const std::uint64_t now = TickCount64();
  keySentMs_.store(now);
  framer_.ResetSystem();
  if (resetWait.count() <= 0) {
    SendNetworkKey();
    return;
  }
  keyDueMs_.store(now + static_cast<std::uint64_t>(resetWait.count()));
}

std::uint64_t StickBringUp::SetKeyWhenDue(std::uint64_t nowMs) {
  const std::uint64_t due = keyDueMs_.load();
  if (due == kNothingDue) return kNothingDue;
  if (nowMs < due) return due - nowMs;
  keyDueMs_.store(kNothingDue);
  // The answer drives the rest of the bring-up in the receive loop.
  SendNetworkKey();
  return kNothingDue;
}

bool StickBringUp::Handle(const AntMessage& message, std::uint16_t length) {
  const std::uint8_t* data = message.data.data();
  switch (message.id) {
    case ant_id::kStartup: OnStartup(data[0]); return true;
    case ant_id::kVersion: {
      std::string version;
      for (std::uint16_t i = 0; i < length && data[i] != 0; ++i) {
        version += static_cast<char>(data[i]);
      }
      PushLog("VERSION: " + version);
      Request(ant_id::kCapabilities);
      return true;
    }
    case ant_id::kCapabilities: OnCapabilities(message, length); return true;
    case ant_id::kChannelResponse:
      if (length < 3 || data[1] != ant_id::kNetworkKey) return false;
      OnNetworkKeyResponse(data[2]);
      return true;
    default: return false;
  }
}

void StickBringUp::OnStartup(std::uint8_t reason) {
  std::string line = "RESET Complete, reason : ";
  if (reason == ant_reset::kPowerOn) line += "RESET_POR";
  if (reason & ant_reset::kSuspend) line += "RESET_SUSPEND";
  if (reason & ant_reset::kSynchronous) line += "RESET_SYNC";
  if (reason & ant_reset::kCommand) line += "RESET_CMD";
  if (reason & ant_reset::kWatchdog) line += "RESET_WDT";
  if (reason & ant_reset::kResetLine) line += "RESET_RST";
  PushLog(line);
  // The start-up message of our own reset comes before the key is set; one
  // after it means the stick reset by itself and forgot its channels.
  if (keySet_.load()) {
    PushLog(StringPrintf("USB device( %d ) reset itself; setting it up again", usbDeviceNumber_));
    BringUpAgain();
  }
}

void StickBringUp::OnNetworkKeyResponse(std::uint8_t code) {
  if (code == ant_code::RESPONSE_NO_ERROR) {
    PushLog("Network key set.");
  } else {
    PushLog(StringPrintf("Error configuring network key: Code 0%d", code));
    // Refused while channels are open: the stick did not reset after all,
    // and the key it had is still set.
    if (code != ant_code::kCloseAllChannels || !again_) return;
  }
  keySet_.store(true);
  Request(ant_id::kVersion);
}

void StickBringUp::OnCapabilities(const AntMessage& message, std::uint16_t length) {
  if (length < 2) return;
  PushLog(StringPrintf("Max ANT Channels: %d", message.data[0]));
  PushLog(StringPrintf("Max ANT Networks: %d", message.data[1]));
  // Capabilities asked before the key was set (a stick woken up by its
  // handle) say nothing of a stick ready for channels: a channel assigned
  // then would go out before the room's key.
  if (!keySet_.load()) return;
  listener_.OnChannelCount(message.data[0]);
  done_.store(true);
  if (again_) {
    again_ = false;
    listener_.OnBroughtUpAgain();
  }
}

void StickBringUp::BringUpAgain() {
  keySet_.store(false);
  done_.store(false);
  again_ = true;
  SendNetworkKey();
}

bool StickBringUp::CheckAnswers(std::uint64_t nowMs) {
  if (done_.load()) return false;
  if (nowMs >= keySentMs_.load() + kAnswerMs) {
    PushLog(StringPrintf("USB device( %d ) left its set-up unanswered; setting it up again",
                         usbDeviceNumber_));
    SendNetworkKey();
  }
  return true;
}

void StickBringUp::SendNetworkKey() {
  keySentMs_.store(TickCount64());
  PushLog("Setting network key...");
  const AntCommand command = ant_command::SetNetworkKey(kRoomNetwork, networkKey_);
  framer_.SendCommand(command.message, command.length, kCommandResponseWaitMs);
}

void StickBringUp::Request(std::uint8_t what) {
  const AntCommand request = ant_command::RequestMessage(0, what);
  framer_.WriteMessage(request.message, request.length);
}

}  // namespace vel
