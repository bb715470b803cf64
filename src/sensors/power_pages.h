#pragma once

#include <cstdint>

namespace vel {

// What an ANT+ bicycle power meter has said in its data pages, and which
// kind of meter that makes it. The kind decides, for torque meters, when the
// published cadence is forced to zero.
class PowerPages {
 public:
  enum Kind : std::uint8_t {
    kUnknown = 0,
    kPowerOnly = 1,
    kWheelTorque = 2,
    kCrankTorque = 3,
    kCrankTorqueFrequency = 4,
  };

  // The instantaneous cadence of a meter that measures none.
  static constexpr std::uint8_t kCadenceNotAvailable = 0xFF;

  // Takes one payload whose page number (byte 0) is 0x20 or less.
  void Parse(const std::uint8_t* payload);

  std::uint8_t MeterKind() const { return kind_; }
  std::uint8_t UpdateEventCount() const { return updateEventCount_; }
  std::uint8_t InstantaneousCadence() const { return instantaneousCadence_; }
  std::uint8_t PedalPower() const { return pedalPower_; }
  std::uint16_t AccumulatedPower() const { return accumulatedPower_; }
  std::uint16_t InstantaneousPower() const { return instantaneousPower_; }
  std::uint8_t WheelEventCount() const { return wheelEventCount_; }
  std::uint8_t WheelTicks() const { return wheelTicks_; }
  std::uint16_t WheelPeriod() const { return wheelPeriod_; }
  std::uint8_t CrankEventCount() const { return crankEventCount_; }
  std::uint8_t CrankTicks() const { return crankTicks_; }
  std::uint16_t CrankPeriod() const { return crankPeriod_; }
  std::uint16_t AccumulatedTorque() const { return accumulatedTorque_; }
  std::uint8_t CtfEventCount() const { return ctfEventCount_; }
  std::uint16_t CtfSlope() const { return ctfSlope_; }
  std::uint16_t CtfTimeStamp() const { return ctfTimeStamp_; }
  std::uint16_t CtfTorqueTicksStamp() const { return ctfTorqueTicksStamp_; }
  std::uint8_t TorqueEffectiveness(int side) const { return effectiveness_[side & 1]; }
  std::uint8_t PedalSmoothness(int side) const { return smoothness_[side & 1]; }
  std::uint8_t CrankParameter(int i) const { return crankParameters_[i & 3]; }
  std::uint8_t CalibrationId() const { return calibrationId_; }
  std::uint8_t AutoZeroStatus() const { return autoZeroStatus_; }
  std::uint16_t CalibrationData() const { return calibrationData_; }

 private:
  void ParsePowerOnly(const std::uint8_t* payload);
  void EnterTorqueKind(std::uint8_t kind);

  std::uint8_t kind_ = kUnknown;
  std::uint8_t crankParameters_[4] = {};
  std::uint8_t updateEventCount_ = 0;
  std::uint8_t instantaneousCadence_ = 0;
  std::uint8_t pedalPower_ = 0;
  std::uint16_t accumulatedPower_ = 0;
  std::uint16_t instantaneousPower_ = 0;
  std::uint8_t wheelEventCount_ = 0;
  std::uint8_t wheelTicks_ = 0;
  std::uint16_t wheelPeriod_ = 0;
  std::uint16_t accumulatedTorque_ = 0;
  std::uint8_t crankEventCount_ = 0;
  std::uint8_t crankTicks_ = 0;
  std::uint16_t crankPeriod_ = 0;
  std::uint8_t ctfEventCount_ = 0;
  std::uint16_t ctfSlope_ = 0;
  std::uint16_t ctfTimeStamp_ = 0;
  std::uint16_t ctfTorqueTicksStamp_ = 0;
  std::uint8_t effectiveness_[2] = {};
  std::uint8_t smoothness_[2] = {};
  std::uint8_t calibrationId_ = 0;
  std::uint8_t autoZeroStatus_ = 0;
  std::uint16_t calibrationData_ = 0;
  std::uint8_t powerPageRun_ = 0;
  std::uint8_t torquePageCount_ = 0;
  std::uint8_t torqueCountAtLastPowerPage_ = 0;
};

}  // namespace vel
