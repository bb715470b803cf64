#include "activation_rules.h"

#include "common/ant_message.h"

namespace vel::companion {
namespace {

using namespace device_type;

constexpr int kBySpeed[] = {kBikeSpeedCadence};
constexpr int kByCadence[] = {kBikeSpeedCadence, kBikePower};
constexpr int kBySpeedCadence[] = {kBikeSpeed, kBikeCadence};
constexpr int kByPower[] = {kBikeCadence};

}  // namespace

bool IsDeviceType(int type) {
  return type == kBikePower || type == kHeartRate || type == kBikeSpeedCadence ||
         type == kBikeCadence || type == kBikeSpeed;
}

std::span<const int> TypesSwitchedOffBy(int type) {
  switch (type) {
    case kBikeSpeed:
      return kBySpeed;
    case kBikeCadence:
      return kByCadence;
    case kBikeSpeedCadence:
      return kBySpeedCadence;
    case kBikePower:
      return kByPower;
    default:
      return {};
  }
}

}  // namespace vel::companion
