#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vel {

// Largest number of data bytes one ANT message may carry.
inline constexpr std::size_t MESG_MAX_SIZE_VALUE = 41;

// One ANT message as the framer hands it in and out: the message id
// followed by up to 41 data bytes (42 bytes in all). For channel
// messages data byte 0 is the channel number.
struct AntMessage {
  std::uint8_t id = 0;
  std::array<std::uint8_t, MESG_MAX_SIZE_VALUE> data{};
};
static_assert(sizeof(AntMessage) == 1 + MESG_MAX_SIZE_VALUE);

// The RF channel of ANT+ (2457 MHz), on which every sensor channel listens.
inline constexpr std::uint8_t kAntPlusRfChannel = 57;

// Message ids of the ANT serial protocol used by this program.
namespace ant_id {
inline constexpr std::uint8_t kUnassignChannel = 0x41;
inline constexpr std::uint8_t kAssignChannel = 0x42;
inline constexpr std::uint8_t kChannelPeriod = 0x43;
inline constexpr std::uint8_t kSearchTimeout = 0x44;
inline constexpr std::uint8_t kChannelRfFrequency = 0x45;
inline constexpr std::uint8_t kNetworkKey = 0x46;
inline constexpr std::uint8_t kResetSystem = 0x4A;
inline constexpr std::uint8_t kOpenChannel = 0x4B;
inline constexpr std::uint8_t kCloseChannel = 0x4C;
inline constexpr std::uint8_t kRequestMessage = 0x4D;
inline constexpr std::uint8_t kBroadcastData = 0x4E;
inline constexpr std::uint8_t kAcknowledgedData = 0x4F;
inline constexpr std::uint8_t kBurstData = 0x50;
inline constexpr std::uint8_t kChannelId = 0x51;
inline constexpr std::uint8_t kChannelStatus = 0x52;
inline constexpr std::uint8_t kCapabilities = 0x54;
inline constexpr std::uint8_t kExtendedBurstData = 0x5F;
inline constexpr std::uint8_t kLowPrioritySearchTimeout = 0x63;
inline constexpr std::uint8_t kEnableExtendedMessages = 0x66;
inline constexpr std::uint8_t kStartup = 0x6F;
inline constexpr std::uint8_t kVersion = 0x3E;
inline constexpr std::uint8_t kChannelResponse = 0x40;
}  // namespace ant_id

// Response and event codes carried in byte 2 of a channel response.
namespace ant_code {
inline constexpr std::uint8_t RESPONSE_NO_ERROR = 0x00;
inline constexpr std::uint8_t kEventRfMarker = 0x01;  // byte 1 of an RF event
inline constexpr std::uint8_t kRxSearchTimeout = 1;
inline constexpr std::uint8_t kRxFail = 2;
inline constexpr std::uint8_t kChannelClosed = 7;
inline constexpr std::uint8_t kRxFailGoToSearch = 8;
inline constexpr std::uint8_t kChannelCollision = 9;
inline constexpr std::uint8_t kChannelInWrongState = 21;
inline constexpr std::uint8_t kCloseAllChannels = 25;
inline constexpr std::uint8_t kInvalidMessage = 40;
inline constexpr std::uint8_t kInvalidNetworkNumber = 41;
}  // namespace ant_code

// Bits of the reason in a start-up message (0 is a power-on reset).
namespace ant_reset {
inline constexpr std::uint8_t kPowerOn = 0x00;
inline constexpr std::uint8_t kSuspend = 0x80;
inline constexpr std::uint8_t kSynchronous = 0x40;
inline constexpr std::uint8_t kCommand = 0x20;
inline constexpr std::uint8_t kWatchdog = 0x02;
inline constexpr std::uint8_t kResetLine = 0x01;
}  // namespace ant_reset

// Byte 0 of a burst packet: the sequence number in the top three bits (the
// top one marks the last packet), the channel below them.
inline constexpr std::uint8_t kBurstSequenceMask = 0xE0;
inline constexpr std::uint8_t kBurstLastPacketOnly = 0x80;  // sequence 0, last packet
inline constexpr std::uint8_t kBurstChannelMask = 0x1F;
// The flag byte after a broadcast's payload when the channel id follows.
inline constexpr std::uint8_t kExtendedChannelIdFlag = 0x80;

}  // namespace vel
