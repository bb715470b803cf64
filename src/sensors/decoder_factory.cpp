#include "sensors/decoder_factory.h"

#include "sensors/heart_rate_decoder.h"

namespace vel {

std::unique_ptr<CDisplay> MakeDecoder(std::uint8_t deviceType, const DecoderSetup& s) {
  switch (deviceType) {
    case device_type::kHeartRate:
      return std::make_unique<CHRMDisplay>(s.owner, s.deviceNumber, s.channelNumber, s.uiid,
                                           s.graphIds[0]);
    default:
      return nullptr;
  }
}

bool IsDecodedDeviceType(int deviceType) { return deviceType == device_type::kHeartRate; }

}  // namespace vel
