#pragma once

#include <memory>

#include "sensors/battery_status.h"
#include "sensors/channel_decoder.h"
#include "sensors/common_pages.h"
#include "sensors/graph_pair.h"
#include "sensors/power_pages.h"
#include "sensors/sensor_kinds.h"

namespace vel {

// Decoder of an ANT+ bicycle power meter: publishes the instantaneous power
// and cadence of the power-only page. For torque meters, the torque pages
// decide when the crank stands still and the cadence shown is zero.
class CBikePowerDisplay : public CDisplay {
 public:
  static constexpr std::uint8_t kDeviceType = device_type::kBikePower;
  static constexpr std::uint16_t kChannelPeriod = ChannelPeriodOf(kDeviceType);

  explicit CBikePowerDisplay(const DecoderSetup& setup);
  ~CBikePowerDisplay() override;

  std::int32_t ProcessMessage(const AntMessage& message, std::uint16_t length) override;
  // Index 0: the power graph, 1: the cadence graph.
  std::int32_t GetGraphId(int index) const override;
  // Called from the user-interface thread while the receive loop decodes;
  // taking a graph away (-1) first retracts the value it showed.
  void SetGraphId(int index, std::int32_t graphId) override;

  const PowerPages& Pages() const { return *pages_; }
  const CommonPages& Common() const { return *common_; }
  bool CrankStopped() const { return crankStopped_ != 0; }
  float WheelCircumferenceM() const { return circumferenceM_; }

 private:
  // The previous torque page of this meter and the count of its torque
  // pages without a new event: another rider's meter has its own.
  struct TorqueHistory {
    std::uint8_t eventCount = 0;
    std::uint8_t ticks = 0;
    std::uint16_t period = 0;
    std::uint16_t accumulatedTorque = 0;
    std::uint16_t pagesWithoutEvent = 0;
  };

  void FollowTorque(std::uint8_t page);

  std::unique_ptr<PowerPages> pages_;
  BatteryReport battery_;
  std::unique_ptr<CommonPages> common_;
  std::uint8_t lastMeterKind_ = PowerPages::kUnknown;
  std::int32_t wheelTorqueStarted_ = 0;
  std::int32_t crankTorqueStarted_ = 0;
  std::int32_t crankStopped_ = 0;
  TorqueHistory torque_;
  float circumferenceM_;
  GraphPair graphs_;
};

}  // namespace vel
