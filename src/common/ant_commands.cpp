#include "common/ant_commands.h"

#include <algorithm>
#include <initializer_list>

namespace vel::ant_command {
namespace {

AntCommand Make(std::uint8_t id, std::initializer_list<std::uint8_t> data) {
  AntCommand command;
  command.message.id = id;
  std::copy(data.begin(), data.end(), command.message.data.begin());
  command.length = static_cast<std::uint16_t>(data.size());
  return command;
}

std::uint8_t Low(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t High(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }

}  // namespace

AntCommand AssignChannel(std::uint8_t channel, std::uint8_t channelType, std::uint8_t network) {
  return Make(ant_id::kAssignChannel, {channel, channelType, network});
}

AntCommand SetChannelId(std::uint8_t channel, std::uint16_t deviceNumber, std::uint8_t deviceType,
                        std::uint8_t transmissionType) {
  return Make(ant_id::kChannelId,
              {channel, Low(deviceNumber), High(deviceNumber), deviceType, transmissionType});
}

AntCommand SetChannelPeriod(std::uint8_t channel, std::uint16_t period) {
  return Make(ant_id::kChannelPeriod, {channel, Low(period), High(period)});
}

AntCommand SetRfFrequency(std::uint8_t channel, std::uint8_t rfChannel) {
  return Make(ant_id::kChannelRfFrequency, {channel, rfChannel});
}

AntCommand SetSearchTimeout(std::uint8_t channel, std::uint8_t timeout) {
  return Make(ant_id::kSearchTimeout, {channel, timeout});
}

AntCommand OpenChannel(std::uint8_t channel) { return Make(ant_id::kOpenChannel, {channel}); }

AntCommand CloseChannel(std::uint8_t channel) { return Make(ant_id::kCloseChannel, {channel}); }

AntCommand UnassignChannel(std::uint8_t channel) {
  return Make(ant_id::kUnassignChannel, {channel});
}

AntCommand RequestMessage(std::uint8_t channel, std::uint8_t messageId) {
  return Make(ant_id::kRequestMessage, {channel, messageId});
}

AntCommand SetNetworkKey(std::uint8_t network, const std::array<std::uint8_t, 8>& key) {
  AntCommand command = Make(ant_id::kNetworkKey, {network});
  std::copy(key.begin(), key.end(), command.message.data.begin() + 1);
  command.length = 1 + key.size();
  return command;
}

AntCommand EnableExtendedMessages(bool enable) {
  return Make(ant_id::kEnableExtendedMessages, {0, static_cast<std::uint8_t>(enable ? 1 : 0)});
}

AntCommand ResetSystem() { return Make(ant_id::kResetSystem, {0}); }

namespace {

// The data length each command is sent with above; unknown ids have none.
int CommandLength(std::uint8_t id) {
  switch (id) {
    case ant_id::kResetSystem: return 1;
    case ant_id::kNetworkKey: return 9;
    case ant_id::kRequestMessage: return 2;
    case ant_id::kAssignChannel: return 3;
    case ant_id::kChannelId: return 5;
    case ant_id::kChannelRfFrequency: return 2;
    case ant_id::kChannelPeriod: return 3;
    case ant_id::kSearchTimeout: return 2;
    case ant_id::kLowPrioritySearchTimeout: return 2;
    case ant_id::kOpenChannel: return 1;
    case ant_id::kCloseChannel: return 1;
    case ant_id::kUnassignChannel: return 1;
    case ant_id::kEnableExtendedMessages: return 2;
    default: return -1;
  }
}

std::uint16_t Word(const std::uint8_t* low) {
  return static_cast<std::uint16_t>(low[0] | (low[1] << 8));
}

}  // namespace

std::optional<Fields> Decode(std::uint8_t id, const std::uint8_t* data, std::size_t length) {
  const int expected = CommandLength(id);
  if (expected < 0 || length < static_cast<std::size_t>(expected)) return std::nullopt;
  Fields f;
  f.first = data[0];
  switch (id) {
    case ant_id::kNetworkKey: std::copy_n(data + 1, f.key.size(), f.key.begin()); break;
    case ant_id::kRequestMessage: f.requestedId = data[1]; break;
    case ant_id::kAssignChannel:
      f.channelType = data[1];
      f.network = data[2];
      break;
    case ant_id::kChannelId:
      f.deviceNumber = Word(data + 1);
      f.deviceType = data[3];
      f.transmissionType = data[4];
      break;
    case ant_id::kChannelRfFrequency: f.rfChannel = data[1]; break;
    case ant_id::kChannelPeriod: f.period = Word(data + 1); break;
    case ant_id::kSearchTimeout:
    case ant_id::kLowPrioritySearchTimeout: f.searchTimeout = data[1]; break;
    case ant_id::kEnableExtendedMessages: f.enable = data[1] != 0; break;
    default: break;
  }
  return f;
}

}  // namespace vel::ant_command
