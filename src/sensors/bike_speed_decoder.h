#pragma once

#include "sensors/channel_decoder.h"
#include "sensors/revolution_track.h"
#include "sensors/sensor_kinds.h"
#include "sensors/toggled_pages.h"

namespace vel {

// Decoder of an ANT+ bike speed sensor: the rider's speed and the distance
// ridden since the channel was opened.
class CBikeSpeedDisplay : public CDisplay {
 public:
  static constexpr std::uint8_t kDeviceType = device_type::kBikeSpeed;
  static constexpr std::uint16_t kChannelPeriod = ChannelPeriodOf(kDeviceType);

  explicit CBikeSpeedDisplay(const DecoderSetup& setup);
  ~CBikeSpeedDisplay() override;

  std::int32_t ProcessMessage(const AntMessage& message, std::uint16_t length) override;
  std::int32_t GetGraphId(int index) const override;
  void SetGraphId(int index, std::int32_t graphId) override;

  double Speed() const { return speed_; }
  float Distance() const { return distance_; }
  bool Stopped() const { return stopped_ != 0; }
  float WheelCircumferenceCm() const { return circumferenceCm_; }
  const ToggledPages& Pages() const { return pages_; }
  const RevolutionTrack& Wheel() const { return wheel_; }

 private:
  ToggledPages pages_;
  BatteryReport battery_;
  RevolutionTrack wheel_;
  StillCounter stillWheel_;
  std::int32_t stopped_ = 0;
  float circumferenceCm_;
  double speed_ = 0.0;
  float distance_ = 0.0f;
  std::int32_t graphId_;
};

}  // namespace vel
