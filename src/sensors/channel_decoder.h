#pragma once

#include <cstdint>

#include "common/ant_message.h"
#include "common/room.h"
#include "sensors/channel_command_sink.h"

namespace vel {

// What the channel plan gives a new decoder, by name.
struct DecoderSetup {
  ChannelCommandSink* owner = nullptr;
  std::uint16_t deviceNumber = 0;
  std::uint8_t channelNumber = 0;
  int uiid = 0;
  std::int32_t graphIds[2] = {-1, -1};  // the series reserved for the sensor
  float wheelCircumferenceM = static_cast<float>(kStandardWheelCircumferenceM);  // metres
};

// Base of the decoders that each own one ANT channel of a stick. It drives
// the channel set-up chain one step per response, logs the stick's RF
// events, and holds data messages back until it knows whether the
// transmitter toggles its page bit (current) or not (legacy).
//
// ProcessMessage and the destructor run on the owning stick's receive loop.
class CDisplay {
 public:
  static constexpr std::uint8_t kKindUnsettled = 255;
  static constexpr std::uint8_t kKindLegacy = 16;
  static constexpr std::uint8_t kKindCurrent = 17;

  // The setup's owner is the stick the channel is on; nullptr for a
  // decoder fed by hand, whose commands go nowhere.
  CDisplay(const DecoderSetup& setup, std::uint8_t deviceType, std::uint16_t channelPeriod);
  virtual ~CDisplay() = default;
  CDisplay(const CDisplay&) = delete;
  CDisplay& operator=(const CDisplay&) = delete;

  // 1 when `message` is a data message that the subclass may decode.
  virtual std::int32_t ProcessMessage(const AntMessage& message, std::uint16_t length);
  virtual std::int32_t GetGraphId(int index) const = 0;
  virtual void SetGraphId(int index, std::int32_t graphId) = 0;

  int Uiid() const { return uiid_; }
  // Its sensor carries on elsewhere (its stick was lost): it goes without
  // the farewell that would clear the panel. Only while nothing decodes.
  void ForgetPanel() { uiid_ = -1; }
  std::uint16_t DeviceNumber() const { return deviceNumber_; }
  std::uint8_t DeviceType() const { return deviceType_; }
  std::uint8_t ChannelNumber() const { return channelNumber_; }
  std::uint8_t TransmissionType() const { return transmissionType_; }
  std::uint16_t ChannelPeriod() const { return channelPeriod_; }
  std::uint8_t TransmitterKind() const { return transmitterKind_; }

 protected:
  // Offset of the 8-byte ANT+ payload inside a data message's data bytes,
  // and the data length a data message must have to carry it.
  static constexpr std::size_t kPayload = 1;
  static constexpr std::uint16_t kDataMessageLength = 9;

 private:
  void OnChannelResponse(std::uint8_t answered, std::uint8_t code);
  void OnRfEvent(std::uint8_t code);
  bool DetectTransmitter(std::uint8_t toggleBit);
  void Send(const AntCommand& command, std::uint32_t responseWaitMs);

  ChannelCommandSink* owner_;
  int uiid_;
  std::uint16_t deviceNumber_;
  std::uint8_t deviceType_;
  std::uint8_t channelNumber_;
  std::uint8_t transmissionType_ = 0;  // wildcard
  std::uint16_t channelPeriod_;
  std::int32_t detectionSwitch_ = 1;
  std::uint8_t transmitterKind_ = kKindUnsettled;
  std::int32_t lastToggleBit_ = 255;
  std::uint8_t dataMessagesCounted_ = 0;
};

}  // namespace vel
