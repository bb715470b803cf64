#pragma once

#include "sensors/battery_status.h"
#include "sensors/channel_decoder.h"
#include "sensors/sensor_kinds.h"

namespace vel {

// Decoder of an ANT+ heart-rate strap: publishes the heart rate the strap
// computes (payload byte 7, the same place in every page and in the
// legacy format) once per data message, and the battery status of page 7
// when it changes.
class CHRMDisplay : public CDisplay {
 public:
  static constexpr std::uint8_t kDeviceType = device_type::kHeartRate;
  static constexpr std::uint16_t kChannelPeriod = ChannelPeriodOf(kDeviceType);

  explicit CHRMDisplay(const DecoderSetup& setup);
  ~CHRMDisplay() override;

  std::int32_t ProcessMessage(const AntMessage& message, std::uint16_t length) override;
  // The graph id is fixed for the decoder's life.
  std::int32_t GetGraphId(int index) const override;
  void SetGraphId(int index, std::int32_t graphId) override;

 private:
  void Push(std::int64_t bpm);

  std::int32_t graphId_;
  BatteryReport battery_;
};

}  // namespace vel
