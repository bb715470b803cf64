#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ant/sim/virtual_sensor.h"

namespace vel::sim {

// Who a rider is and how the rider's session goes: on the bike after
// `startS`, a warm-up ramp, then repeated blocks of hard intervals,
// recoveries and short coasting, with a full stop after every
// `stopEvery`-th interval.
struct RiderTraits {
  int number = 1;  // 1 to 10
  double ftpW = 200;
  double massKg = 75;  // rider and bicycle
  double hrRestBpm = 60;
  double hrMaxBpm = 185;
  double cadenceRpm = 85;
  double wheelCircumferenceM = kStandardWheelCircumferenceM;
  double startS = 3;
  double warmupS = 180;
  double onS = 60;
  double offS = 90;
  double coastS = 10;
  double stopS = 20;
  int stopEvery = 3;
  double onFactor = 1.1;  // interval power over FTP
};

// What the rider aims at at a moment of the session.
struct RiderTargets {
  double powerW = 0;
  double cadenceRpm = 0;
  bool braking = false;
};

RiderTargets TargetsAt(const RiderTraits& traits, double seconds);

// One rider: follows the session's targets with the lag of a body and a
// bicycle (power and cadence within a second or so, speed by the forces on
// the bicycle, heart rate over tens of seconds), stepped every 1/8 s, and
// drives the rider's sensors in time order.
class VirtualRider {
 public:
  static constexpr std::uint64_t kStepTicks = kTicksPerSecond / 8;

  explicit VirtualRider(const RiderTraits& traits);

  const RiderTraits& Traits() const { return traits_; }
  const RiderState& State() const { return state_; }
  void AddSensor(std::unique_ptr<VirtualSensor> sensor);
  const std::vector<std::unique_ptr<VirtualSensor>>& Sensors() const { return sensors_; }

  // Runs the rider and sends every sensor message due up to `ticks`.
  void AdvanceTo(std::uint64_t ticks);

 private:
  void Step(double seconds);

  RiderTraits traits_;
  RiderState state_;
  std::uint64_t nextStep_ = 0;
  std::vector<std::unique_ptr<VirtualSensor>> sensors_;
};

}  // namespace vel::sim
