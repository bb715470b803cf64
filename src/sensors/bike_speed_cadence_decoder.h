#pragma once

#include "sensors/channel_decoder.h"
#include "sensors/graph_pair.h"
#include "sensors/revolution_track.h"
#include "sensors/sensor_kinds.h"

namespace vel {

// Decoder of an ANT+ combined bike speed and cadence sensor: speed and
// distance from the wheel, cadence from the crank, each on its own graph.
// The cadence graph is taken away while the same rider's power meter
// supplies the cadence.
class CBikeSpdCadDisplay : public CDisplay {
 public:
  static constexpr std::uint8_t kDeviceType = device_type::kBikeSpeedCadence;
  static constexpr std::uint16_t kChannelPeriod = ChannelPeriodOf(kDeviceType);

  explicit CBikeSpdCadDisplay(const DecoderSetup& setup);
  ~CBikeSpdCadDisplay() override;

  std::int32_t ProcessMessage(const AntMessage& message, std::uint16_t length) override;
  // Index 0: the speed graph, 1: the cadence graph.
  std::int32_t GetGraphId(int index) const override;
  // Called from the user-interface thread while the receive loop decodes;
  // taking a graph away (-1) first retracts the value it showed.
  void SetGraphId(int index, std::int32_t graphId) override;

  double Speed() const { return speed_; }
  float Distance() const { return distance_; }
  std::uint8_t Cadence() const { return cadence_; }
  bool SpeedStopped() const { return speedStopped_ != 0; }
  bool CadenceStopped() const { return cadenceStopped_ != 0; }
  float WheelCircumferenceCm() const { return circumferenceCm_; }
  const RevolutionTrack& Crank() const { return crank_; }
  const RevolutionTrack& Wheel() const { return wheel_; }

 private:
  std::int32_t started_ = 0;
  std::int32_t cadenceStopped_ = 0;
  std::int32_t speedStopped_ = 0;
  RevolutionTrack crank_;
  StillCounter stillCrank_;
  std::uint8_t cadence_ = 0;
  RevolutionTrack wheel_;
  StillCounter stillWheel_;
  float circumferenceCm_;
  double speed_ = 0.0;
  float distance_ = 0.0f;
  GraphPair graphs_;
};

}  // namespace vel
