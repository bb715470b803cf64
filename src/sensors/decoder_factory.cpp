#include "sensors/decoder_factory.h"

#include "sensors/bike_cadence_decoder.h"
#include "sensors/bike_power_decoder.h"
#include "sensors/bike_speed_cadence_decoder.h"
#include "sensors/bike_speed_decoder.h"
#include "sensors/heart_rate_decoder.h"

namespace vel {

std::unique_ptr<CDisplay> MakeDecoder(std::uint8_t deviceType, const DecoderSetup& s) {
  switch (deviceType) {
    case device_type::kHeartRate:
      return std::make_unique<CHRMDisplay>(s.owner, s.deviceNumber, s.channelNumber, s.uiid,
                                           s.graphIds[0]);
    case device_type::kBikeSpeed:
      return std::make_unique<CBikeSpeedDisplay>(s.owner, s.deviceNumber, s.channelNumber, s.uiid,
                                                 s.graphIds[0], s.wheelCircumferenceM);
    case device_type::kBikeCadence:
      return std::make_unique<CBikeCadenceDisplay>(s.owner, s.deviceNumber, s.channelNumber,
                                                   s.uiid, s.graphIds[0]);
    case device_type::kBikeSpeedCadence:
      return std::make_unique<CBikeSpdCadDisplay>(s.owner, s.deviceNumber, s.channelNumber,
                                                  s.uiid, s.graphIds[0], s.graphIds[1],
                                                  s.wheelCircumferenceM);
    case device_type::kBikePower:
      return std::make_unique<CBikePowerDisplay>(s.owner, s.deviceNumber, s.channelNumber, s.uiid,
                                                 s.graphIds[0], s.graphIds[1],
                                                 s.wheelCircumferenceM);
    default:
      return nullptr;
  }
}

bool IsDecodedDeviceType(int deviceType) {
  switch (deviceType) {
    case device_type::kHeartRate:
    case device_type::kBikeSpeed:
    case device_type::kBikeCadence:
    case device_type::kBikeSpeedCadence:
    case device_type::kBikePower:
      return true;
    default:
      return false;
  }
}

}  // namespace vel
