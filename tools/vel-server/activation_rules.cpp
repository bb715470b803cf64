#include "activation_rules.h"

namespace vel::companion {
namespace {

constexpr int kPower = 11;
constexpr int kHeartRate = 120;
constexpr int kSpeedCadence = 121;
constexpr int kCadence = 122;
constexpr int kSpeed = 123;

constexpr int kBySpeed[] = {kSpeedCadence};
constexpr int kByCadence[] = {kSpeedCadence, kPower};
constexpr int kBySpeedCadence[] = {kSpeed, kCadence};
constexpr int kByPower[] = {kCadence};

}  // namespace

bool IsDeviceType(int type) {
  return type == kPower || type == kHeartRate || type == kSpeedCadence || type == kCadence ||
         type == kSpeed;
}

std::span<const int> TypesSwitchedOffBy(int type) {
  switch (type) {
    case kSpeed:
      return kBySpeed;
    case kCadence:
      return kByCadence;
    case kSpeedCadence:
      return kBySpeedCadence;
    case kPower:
      return kByPower;
    default:
      return {};
  }
}

}  // namespace vel::companion
