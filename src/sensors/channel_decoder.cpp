#include "sensors/channel_decoder.h"

#include "common/queues.h"
#include "common/string_printf.h"

namespace vel {

CDisplay::CDisplay(const DecoderSetup& setup, std::uint8_t deviceType, std::uint16_t channelPeriod)
    : owner_(setup.owner),
      uiid_(setup.uiid),
      deviceNumber_(setup.deviceNumber),
      deviceType_(deviceType),
      channelNumber_(setup.channelNumber),
      channelPeriod_(channelPeriod) {}

std::int32_t CDisplay::ProcessMessage(const AntMessage& message, std::uint16_t length) {
  switch (message.id) {
    case ant_id::kChannelResponse:
      if (length >= 3) {
        if (message.data[1] == ant_code::kEventRfMarker) {
          OnRfEvent(message.data[2]);
        } else {
          OnChannelResponse(message.data[1], message.data[2]);
        }
      }
      return 0;
    case ant_id::kChannelId:
      if (length >= 5) {
        PushLog(StringPrintf("CHANNEL ID: (%d/%d/%d)", message.data[1] | (message.data[2] << 8),
                             message.data[3], message.data[4]));
      }
      return 0;
    case ant_id::kBroadcastData:
    case ant_id::kAcknowledgedData:
      // A data message too short to hold the 8-byte payload is not decoded.
      if (length < kDataMessageLength) return 0;
      return DetectTransmitter((message.data[kPayload] >> 7) & 1) ? 1 : 0;
    default: return 0;
  }
}

bool CDisplay::DetectTransmitter(std::uint8_t toggleBit) {
  if (transmitterKind_ == kKindUnsettled) {
    if (dataMessagesCounted_ == 0) PushLog("Detecting transmitter device type...");
    if (dataMessagesCounted_ < 6) {
      if (lastToggleBit_ == toggleBit || lastToggleBit_ == 255) {
        lastToggleBit_ = toggleBit;
        ++dataMessagesCounted_;
      } else {
        transmitterKind_ = kKindCurrent;
        PushLog("Current Device detected");
      }
      if (dataMessagesCounted_ >= 6 && transmitterKind_ == kKindUnsettled) {
        transmitterKind_ = kKindLegacy;
        PushLog("Legacy Device detected");
      }
    } else {
      transmitterKind_ = kKindLegacy;
      PushLog("Legacy Device detected");
    }
  }
  return !(detectionSwitch_ != 0 && transmitterKind_ == kKindUnsettled);
}

void CDisplay::OnChannelResponse(std::uint8_t answered, std::uint8_t code) {
  const bool ok = code == ant_code::RESPONSE_NO_ERROR;
  const std::uint8_t ch = channelNumber_;
  switch (answered) {
    case ant_id::kAssignChannel:
      if (!ok) {
        PushLog(StringPrintf("Error assigning channel: Code 0%d", code));
        return;
      }
      PushLog("Channel assigned");
      PushLog("Setting Channel ID...");
      Send(ant_command::SetChannelId(ch, deviceNumber_, deviceType_, transmissionType_),
           kCommandResponseWaitMs);
      return;
    case ant_id::kChannelId:
      if (!ok) {
        PushLog(StringPrintf("Error configuring Channel ID: Code 0%d", code));
        return;
      }
      PushLog("Channel ID set");
      PushLog("Setting Radio Frequency...");
      Send(ant_command::SetRfFrequency(ch, kAntPlusRfChannel), kCommandResponseWaitMs);
      return;
    case ant_id::kChannelRfFrequency:
      if (!ok) {
        PushLog(StringPrintf("Error configuring Radio Frequency: Code 0%d", code));
        return;
      }
      PushLog("Radio Frequency set");
      PushLog("Setting Message Period...");
      Send(ant_command::SetChannelPeriod(ch, channelPeriod_), kCommandResponseWaitMs);
      return;
    case ant_id::kChannelPeriod:
      if (!ok) {
        PushLog(StringPrintf("Error assigning Message Period: Code 0%d", code));
        return;
      }
      PushLog("Message period assigned");
      PushLog("Opening channel...");
      Send(ant_command::OpenChannel(ch), kCommandResponseWaitMs);
      return;
    case ant_id::kOpenChannel:
      if (!ok) {
        PushLog(StringPrintf("Error opening channel: Code 0%d", code));
        return;
      }
      PushLog("Chanel opened");
      PushLog("Enabling extended messages...");
      Send(ant_command::EnableExtendedMessages(true), 0);
      return;
    case ant_id::kEnableExtendedMessages:
      if (ok) {
        PushLog("Extended messages enabled");
      } else if (code == ant_code::kInvalidMessage) {
        PushLog("Extended messages not supported in this ANT product");
      } else {
        PushLog(StringPrintf("Error enabling extended messages: Code 0%d", code));
      }
      return;
    case ant_id::kCloseChannel:
      // A successful close is finished by the channel-closed event.
      if (ok) return;
      if (code == ant_code::kChannelInWrongState) {
        PushLog("Channel is already closed");
        PushLog("Unassigning channel...");
        Send(ant_command::UnassignChannel(ch), kCommandResponseWaitMs);
      } else {
        PushLog(StringPrintf("Error closing channel: Code 0%d\n", code));
      }
      return;
    case ant_id::kRequestMessage:
      if (!ok && code == ant_code::kInvalidMessage) {
        PushLog("Requested message not supported in this ANT product");
      }
      return;
    default: return;
  }
}

void CDisplay::OnRfEvent(std::uint8_t code) {
  switch (code) {
    case ant_code::kRxSearchTimeout: PushLog("Search Timeout"); return;
    case ant_code::kRxFail: PushLog("Rx Fail"); return;
    case ant_code::kChannelClosed:
      PushLog("Channel Closed");
      PushLog("Unassigning channel...");
      Send(ant_command::UnassignChannel(channelNumber_), kCommandResponseWaitMs);
      return;
    case ant_code::kRxFailGoToSearch: PushLog("Go to Search"); return;
    case ant_code::kChannelCollision: PushLog("Channel Collision"); return;
    default: return;
  }
}

void CDisplay::Send(const AntCommand& command, std::uint32_t responseWaitMs) {
  // The chain moves on when the response reaches ProcessMessage, not on
  // this call's result.
  if (owner_ != nullptr) owner_->SendChannelCommand(command, responseWaitMs);
}

}  // namespace vel
