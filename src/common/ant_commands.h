#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/ant_message.h"

namespace vel {

// One command for a stick: the message and how many of its data bytes go
// out.
struct AntCommand {
  AntMessage message;
  std::uint16_t length = 0;
};

// How long a sender waits for the stick's response to a channel command.
inline constexpr std::uint32_t kCommandResponseWaitMs = 12;
// The network every channel of the room uses, and the receive-only
// channel type of every sensor channel.
inline constexpr std::uint8_t kRoomNetwork = 0;
inline constexpr std::uint8_t kReceiveChannelType = 0x00;

// The commands the program and its tools send, built in one place.
namespace ant_command {
AntCommand AssignChannel(std::uint8_t channel, std::uint8_t channelType, std::uint8_t network);
AntCommand SetChannelId(std::uint8_t channel, std::uint16_t deviceNumber, std::uint8_t deviceType,
                        std::uint8_t transmissionType);
AntCommand SetChannelPeriod(std::uint8_t channel, std::uint16_t period);
AntCommand SetRfFrequency(std::uint8_t channel, std::uint8_t rfChannel);
// In steps of 2.5 s; 255 searches for ever.
AntCommand SetSearchTimeout(std::uint8_t channel, std::uint8_t timeout);
AntCommand OpenChannel(std::uint8_t channel);
AntCommand CloseChannel(std::uint8_t channel);
AntCommand UnassignChannel(std::uint8_t channel);
AntCommand RequestMessage(std::uint8_t channel, std::uint8_t messageId);
AntCommand SetNetworkKey(std::uint8_t network, const std::array<std::uint8_t, 8>& key);
AntCommand EnableExtendedMessages(bool enable);
AntCommand ResetSystem();

// The other way, for whoever plays the stick: what the data of a command
// says. Only the fields of the command's id are set.
struct Fields {
  std::uint8_t first = 0;  // channel, network, or 0 (reset, extended messages)
  std::uint8_t channelType = 0;
  std::uint8_t network = 0;
  std::uint16_t deviceNumber = 0;
  std::uint8_t deviceType = 0;
  std::uint8_t transmissionType = 0;
  std::uint16_t period = 0;
  std::uint8_t rfChannel = 0;
  std::uint8_t searchTimeout = 0;  // also the low-priority one
  std::uint8_t requestedId = 0;
  bool enable = false;
  std::array<std::uint8_t, 8> key{};
};
// Nothing for an id that is no command, or data shorter than the command's.
std::optional<Fields> Decode(std::uint8_t id, const std::uint8_t* data, std::size_t length);
}  // namespace ant_command

}  // namespace vel
