#pragma once

#include <cstdint>
#include <memory>

#include "sensors/channel_decoder.h"

namespace vel {

// What the channel plan gives a new decoder.
struct DecoderSetup {
  ChannelCommandSink* owner = nullptr;
  std::uint16_t deviceNumber = 0;
  std::uint8_t channelNumber = 0;
  int uiid = 0;
  std::int32_t graphIds[2] = {-1, -1};  // the series reserved for the sensor
  float wheelCircumferenceM = 2.096f;
};

// The decoder for an ANT+ device type, or nullptr for a type this program
// does not decode.
std::unique_ptr<CDisplay> MakeDecoder(std::uint8_t deviceType, const DecoderSetup& setup);

// True for the device types MakeDecoder knows.
bool IsDecodedDeviceType(int deviceType);

}  // namespace vel
