#include "sensors/channel_decoder.h"

#include <algorithm>

#include "ant/ant_receiver.h"
#include "common/string_printf.h"
#include "sensors/sensor_queues.h"

namespace vel {
namespace {

constexpr std::uint8_t kRfFrequency = 57;  // 2457 MHz, the ANT+ frequency
constexpr std::uint32_t kResponseWaitMs = 12;

}  // namespace

CDisplay::CDisplay(AntReceiver* owner, std::uint16_t deviceNumber, std::uint8_t channelNumber,
                   int uiid, std::uint8_t deviceType, std::uint16_t channelPeriod)
    : owner_(owner),
      uiid_(uiid),
      deviceNumber_(deviceNumber),
      deviceType_(deviceType),
      channelNumber_(channelNumber),
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
    default:
      return 0;
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
      Send(ant_id::kChannelId,
           {ch, static_cast<std::uint8_t>(deviceNumber_ & 0xFF),
            static_cast<std::uint8_t>(deviceNumber_ >> 8), deviceType_, transmissionType_},
           kResponseWaitMs);
      return;
    case ant_id::kChannelId:
      if (!ok) {
        PushLog(StringPrintf("Error configuring Channel ID: Code 0%d", code));
        return;
      }
      PushLog("Channel ID set");
      PushLog("Setting Radio Frequency...");
      Send(ant_id::kChannelRfFrequency, {ch, kRfFrequency}, kResponseWaitMs);
      return;
    case ant_id::kChannelRfFrequency:
      if (!ok) {
        PushLog(StringPrintf("Error configuring Radio Frequency: Code 0%d", code));
        return;
      }
      PushLog("Radio Frequency set");
      PushLog("Setting Message Period...");
      Send(ant_id::kChannelPeriod,
           {ch, static_cast<std::uint8_t>(channelPeriod_ & 0xFF),
            static_cast<std::uint8_t>(channelPeriod_ >> 8)},
           kResponseWaitMs);
      return;
    case ant_id::kChannelPeriod:
      if (!ok) {
        PushLog(StringPrintf("Error assigning Message Period: Code 0%d", code));
        return;
      }
      PushLog("Message period assigned");
      PushLog("Opening channel...");
      Send(ant_id::kOpenChannel, {ch}, kResponseWaitMs);
      return;
    case ant_id::kOpenChannel:
      if (!ok) {
        PushLog(StringPrintf("Error opening channel: Code 0%d", code));
        return;
      }
      PushLog("Chanel opened");
      PushLog("Enabling extended messages...");
      Send(ant_id::kEnableExtendedMessages, {0, 1}, 0);
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
        Send(ant_id::kUnassignChannel, {ch}, kResponseWaitMs);
      } else {
        PushLog(StringPrintf("Error closing channel: Code 0%d\n", code));
      }
      return;
    case ant_id::kRequestMessage:
      if (!ok && code == ant_code::kInvalidMessage) {
        PushLog("Requested message not supported in this ANT product");
      }
      return;
    default:
      return;
  }
}

void CDisplay::OnRfEvent(std::uint8_t code) {
  switch (code) {
    case ant_code::kRxSearchTimeout: PushLog("Search Timeout"); return;
    case ant_code::kRxFail: PushLog("Rx Fail"); return;
    case ant_code::kChannelClosed:
      PushLog("Channel Closed");
      PushLog("Unassigning channel...");
      Send(ant_id::kUnassignChannel, {channelNumber_}, kResponseWaitMs);
      return;
    case ant_code::kRxFailGoToSearch: PushLog("Go to Search"); return;
    case ant_code::kChannelCollision: PushLog("Channel Collision"); return;
    default: return;
  }
}

void CDisplay::Send(std::uint8_t id, std::initializer_list<std::uint8_t> data,
                    std::uint32_t timeoutMs) {
  DSIFramerANT* framer = owner_ != nullptr ? owner_->GetFramer() : nullptr;
  if (framer == nullptr) return;
  AntMessage message;
  message.id = id;
  std::copy(data.begin(), data.end(), message.data.begin());
  // The chain moves on when the response reaches ProcessMessage, not on
  // this call's result.
  framer->SendCommand(message, static_cast<std::uint16_t>(data.size()), timeoutMs);
}

}  // namespace vel
