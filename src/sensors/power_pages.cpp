#include "sensors/power_pages.h"

#include "sensors/payload.h"

namespace vel {
namespace {

// A power-only meter is recognised after this many power-only pages.
constexpr std::uint8_t kPowerPagesToRecognise = 4;

// Calibration ids of page 0x01 whose values are kept.
constexpr std::uint8_t kCalibrationSuccess = 0xAC;
constexpr std::uint8_t kCalibrationFailure = 0xAF;
constexpr std::uint8_t kAutoZeroSupport = 0x12;

}  // namespace

void PowerPages::Parse(const std::uint8_t* p) {
  switch (p[0]) {
    case 0x10: ParsePowerOnly(p); return;
    case 0x11:
      EnterTorqueKind(kWheelTorque);
      wheelEventCount_ = p[1];
      wheelTicks_ = p[2];
      instantaneousCadence_ = p[3];
      wheelPeriod_ = Le16(&p[4]);
      accumulatedTorque_ = Le16(&p[6]);
      return;
    case 0x12:
      EnterTorqueKind(kCrankTorque);
      crankEventCount_ = p[1];
      crankTicks_ = p[2];
      instantaneousCadence_ = p[3];
      crankPeriod_ = Le16(&p[4]);
      accumulatedTorque_ = Le16(&p[6]);
      return;
    case 0x13:
      updateEventCount_ = p[1];
      effectiveness_[0] = p[2];
      effectiveness_[1] = p[3];
      smoothness_[0] = p[4];
      smoothness_[1] = p[5];
      return;
    case 0x20:
      // The crank torque frequency page is big-endian on the air.
      kind_ = kCrankTorqueFrequency;
      ctfEventCount_ = p[1];
      ctfSlope_ = Be16(&p[2]);
      ctfTimeStamp_ = Be16(&p[4]);
      ctfTorqueTicksStamp_ = Be16(&p[6]);
      return;
    case 0x02:
      crankParameters_[0] = p[1];
      crankParameters_[1] = p[4];
      crankParameters_[2] = p[5];
      crankParameters_[3] = p[6];
      return;
    case 0x01:
      calibrationId_ = p[1];
      if (p[1] == kCalibrationSuccess || p[1] == kCalibrationFailure) {
        autoZeroStatus_ = p[2];
        calibrationData_ = Le16(&p[6]);
      } else if (p[1] == kAutoZeroSupport) {
        autoZeroStatus_ = p[2];
      }
      return;
    default: return;
  }
}

void PowerPages::ParsePowerOnly(const std::uint8_t* p) {
  if (kind_ == kUnknown || kind_ == kCrankTorqueFrequency) {
    if (++powerPageRun_ == kPowerPagesToRecognise) {
      powerPageRun_ = 0;
      kind_ = kPowerOnly;
    }
  } else if (kind_ == kWheelTorque || kind_ == kCrankTorque) {
    // No torque page since the previous power-only page: the torque meter
    // has gone quiet, and its kind is no longer known.
    if (torquePageCount_ == torqueCountAtLastPowerPage_) {
      kind_ = kUnknown;
      powerPageRun_ = 0;
      torquePageCount_ = 0;
    }
    torqueCountAtLastPowerPage_ = torquePageCount_;
  }
  updateEventCount_ = p[1];
  pedalPower_ = p[2];
  instantaneousCadence_ = p[3];
  accumulatedPower_ = Le16(&p[4]);
  instantaneousPower_ = Le16(&p[6]);
}

void PowerPages::EnterTorqueKind(std::uint8_t kind) {
  if (kind_ != kind) {
    kind_ = kind;
    torquePageCount_ = 0;
    torqueCountAtLastPowerPage_ = 0;
  }
  ++torquePageCount_;
}

}  // namespace vel
