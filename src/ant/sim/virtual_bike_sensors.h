#pragma once

#include "ant/sim/virtual_sensor.h"

namespace vel::sim {

// An ANT+ bike speed sensor (123) on the rear wheel: page 0 with the toggle
// bit, background pages 1-3, then the last wheel event time (1/1024 s) and
// the cumulative wheel revolutions.
class VirtualSpeedSensor : public VirtualSensor {
 public:
  static constexpr std::uint16_t kPeriod = ChannelPeriodOf(device_type::kBikeSpeed);

  VirtualSpeedSensor(SensorIdentity identity, SensorInfo info, double wheelCircumferenceM)
      : VirtualSensor(identity, kPeriod, info), circumferenceM_(wheelCircumferenceM) {}

 protected:
  Payload Build(std::uint64_t n, double seconds, double dt, const RiderState& rider) override;

 private:
  double circumferenceM_;
  RevolutionCounter wheel_;
};

// An ANT+ bike cadence sensor (122) on the crank, laid out as the speed
// sensor with crank events.
class VirtualCadenceSensor : public VirtualSensor {
 public:
  static constexpr std::uint16_t kPeriod = ChannelPeriodOf(device_type::kBikeCadence);

  VirtualCadenceSensor(SensorIdentity identity, SensorInfo info)
      : VirtualSensor(identity, kPeriod, info) {}

 protected:
  Payload Build(std::uint64_t n, double seconds, double dt, const RiderState& rider) override;

 private:
  RevolutionCounter crank_;
};

// An ANT+ combined speed and cadence sensor (121): no pages, always crank
// event time, crank revolutions, wheel event time, wheel revolutions.
class VirtualSpeedCadenceSensor : public VirtualSensor {
 public:
  static constexpr std::uint16_t kPeriod = ChannelPeriodOf(device_type::kBikeSpeedCadence);

  VirtualSpeedCadenceSensor(SensorIdentity identity, SensorInfo info, double wheelCircumferenceM)
      : VirtualSensor(identity, kPeriod, info), circumferenceM_(wheelCircumferenceM) {}

 protected:
  Payload Build(std::uint64_t n, double seconds, double dt, const RiderState& rider) override;

 private:
  double circumferenceM_;
  RevolutionCounter crank_;
  RevolutionCounter wheel_;
};

}  // namespace vel::sim
