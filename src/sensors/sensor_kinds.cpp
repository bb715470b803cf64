#include "sensors/sensor_kinds.h"

#include <algorithm>
#include <vector>

#include "sensors/bike_cadence_decoder.h"
#include "sensors/bike_power_decoder.h"
#include "sensors/bike_speed_cadence_decoder.h"
#include "sensors/bike_speed_decoder.h"
#include "sensors/heart_rate_decoder.h"

namespace vel {

std::unique_ptr<CDisplay> MakeHeartRateDecoder(const DecoderSetup& s) {
  return std::make_unique<CHRMDisplay>(s);
}

std::unique_ptr<CDisplay> MakeBikeSpeedDecoder(const DecoderSetup& s) {
  return std::make_unique<CBikeSpeedDisplay>(s);
}

std::unique_ptr<CDisplay> MakeBikeCadenceDecoder(const DecoderSetup& s) {
  return std::make_unique<CBikeCadenceDisplay>(s);
}

std::unique_ptr<CDisplay> MakeBikeSpeedCadenceDecoder(const DecoderSetup& s) {
  return std::make_unique<CBikeSpdCadDisplay>(s);
}

std::unique_ptr<CDisplay> MakeBikePowerDecoder(const DecoderSetup& s) {
  return std::make_unique<CBikePowerDisplay>(s);
}

std::string DecodedDeviceTypesText() {
  std::vector<int> types;
  for (const SensorKind& kind : kSensorKinds) types.push_back(kind.deviceType);
  std::sort(types.begin(), types.end());
  std::string text;
  for (int type : types) text += (text.empty() ? "" : ", ") + std::to_string(type);
  return text;
}

std::unique_ptr<CDisplay> MakeDecoder(int deviceType, const DecoderSetup& setup) {
  const SensorKind* kind = FindSensorKind(deviceType);
  return kind != nullptr ? kind->makeDecoder(setup) : nullptr;
}

}  // namespace vel
