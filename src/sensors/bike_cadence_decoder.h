#pragma once

#include "sensors/channel_decoder.h"
#include "sensors/revolution_track.h"
#include "sensors/sensor_kinds.h"
#include "sensors/toggled_pages.h"

namespace vel {

// Decoder of an ANT+ bike cadence sensor: the rider's pedalling cadence.
class CBikeCadenceDisplay : public CDisplay {
 public:
  static constexpr std::uint8_t kDeviceType = device_type::kBikeCadence;
  static constexpr std::uint16_t kChannelPeriod = ChannelPeriodOf(kDeviceType);

  explicit CBikeCadenceDisplay(const DecoderSetup& setup);
  ~CBikeCadenceDisplay() override;

  std::int32_t ProcessMessage(const AntMessage& message, std::uint16_t length) override;
  std::int32_t GetGraphId(int index) const override;
  void SetGraphId(int index, std::int32_t graphId) override;

  std::uint8_t Cadence() const { return cadence_; }
  bool Stopped() const { return stopped_ != 0; }
  const ToggledPages& Pages() const { return pages_; }
  const RevolutionTrack& Crank() const { return crank_; }

 private:
  ToggledPages pages_;
  BatteryReport battery_;
  RevolutionTrack crank_;
  StillCounter stillCrank_;
  std::int32_t stopped_ = 0;
  std::uint8_t cadence_ = 0;
  std::int32_t graphId_;
};

}  // namespace vel
