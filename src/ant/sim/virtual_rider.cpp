#include "ant/sim/virtual_rider.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vel::sim {
namespace {

constexpr double kStepSeconds = static_cast<double>(VirtualRider::kStepTicks) / kTicksPerSecond;

double Wave(double seconds, double period, double shift) {
  return std::sin(2 * std::numbers::pi * seconds / period + shift);
}

// The share of the way to a target covered in one step with time constant tau.
double Approach(double tau) { return 1 - std::exp(-kStepSeconds / tau); }

}  // namespace

RiderTargets TargetsAt(const RiderTraits& t, double seconds) {
  RiderTargets out;
  if (seconds < t.startS) {
    out.braking = true;  // getting on the bike
    return out;
  }
  const double u = seconds - t.startS;
  if (u < t.warmupS) {
    const double share = u / t.warmupS;
    out.powerW = t.ftpW * (0.45 + 0.25 * share);
    out.cadenceRpm = t.cadenceRpm - 6 + 6 * share;
  } else {
    const double cycle = t.onS + t.offS + t.coastS;
    const double block = cycle * t.stopEvery + t.stopS;
    const double inBlock = std::fmod(u - t.warmupS, block);
    if (inBlock >= cycle * t.stopEvery) {
      out.braking = true;
      return out;
    }
    const double inCycle = std::fmod(inBlock, cycle);
    if (inCycle < t.onS) {
      out.powerW = t.ftpW * t.onFactor;
      out.cadenceRpm = t.cadenceRpm + 8;
    } else if (inCycle < t.onS + t.offS) {
      out.powerW = t.ftpW * 0.55;
      out.cadenceRpm = t.cadenceRpm - 4;
    } else {
      return out;  // coasting
    }
  }
  // Nobody pushes perfectly evenly.
  const double k = t.number;
  out.powerW *= 1 + 0.05 * Wave(seconds, 6.7, k) + 0.02 * Wave(seconds, 1.9, 2 * k);
  out.cadenceRpm += 2 * Wave(seconds, 9.1, k);
  return out;
}

VirtualRider::VirtualRider(const RiderTraits& traits) : traits_(traits) {
  state_.heartRateBpm = traits.hrRestBpm + 8;
}

void VirtualRider::AddSensor(std::unique_ptr<VirtualSensor> sensor) {
  sensors_.push_back(std::move(sensor));
}

void VirtualRider::AdvanceTo(std::uint64_t ticks) {
  for (;;) {
    // The earliest of the next rider step and the sensors' next messages;
    // a step at the same moment goes first.
    std::uint64_t next = nextStep_;
    VirtualSensor* due = nullptr;
    for (const auto& sensor : sensors_) {
      if (sensor->NextMessageTime() < next) {
        next = sensor->NextMessageTime();
        due = sensor.get();
      }
    }
    if (next > ticks) return;
    if (due != nullptr) {
      due->SendNext(state_);
    } else {
      Step(static_cast<double>(nextStep_) / kTicksPerSecond);
      nextStep_ += kStepTicks;
    }
  }
}

void VirtualRider::Step(double seconds) {
  const RiderTargets target = TargetsAt(traits_, seconds);
  RiderState& s = state_;

  s.cadenceRpm += (target.cadenceRpm - s.cadenceRpm) * Approach(1.0);
  if (target.cadenceRpm <= 0 && s.cadenceRpm < 15) s.cadenceRpm = 0;  // the crank stands still
  s.powerW += (target.powerW - s.powerW) * Approach(0.7);
  if (s.cadenceRpm <= 0) s.powerW = 0;

  // Speed from the forces on rider and bicycle: drive, air, rolling, brake.
  const double v = s.speedMps;
  const double drive = s.powerW / std::max(v, 2.0);
  const double air = 0.5 * 1.2 * 0.32 * v * v;
  const double rolling = v > 0 ? 0.005 * traits_.massKg * 9.81 : 0;
  const double brake = target.braking && v > 0 ? 200.0 : 0;
  s.speedMps = std::max(0.0, v + (drive - air - rolling - brake) / traits_.massKg * kStepSeconds);
  if (s.powerW <= 0 && s.speedMps < 0.3) s.speedMps = 0;

  // The heart follows the effort, faster up than down.
  const double effort = std::clamp(0.10 + 0.80 * s.powerW / traits_.ftpW, 0.0, 1.0);
  const double hrTarget = traits_.hrRestBpm + (traits_.hrMaxBpm - traits_.hrRestBpm) * effort;
  s.heartRateBpm += (hrTarget - s.heartRateBpm) * Approach(hrTarget > s.heartRateBpm ? 15 : 30);
}

}  // namespace vel::sim
