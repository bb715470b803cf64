#include "recorded_traffic.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "ant/ant_frame.h"
#include "sensors/sensor_kinds.h"

namespace vel::bench {

std::vector<std::uint8_t> FramesFor(const std::vector<std::vector<std::uint8_t>>& payloads) {
  std::vector<std::uint8_t> bytes;
  for (const auto& p : payloads) {
    std::vector<std::uint8_t> data(1 + p.size(), 0);  // channel 0, then the payload
    std::copy(p.begin(), p.end(), data.begin() + 1);
    const std::vector<std::uint8_t> frame = AntFrame(ant_id::kBroadcastData, data);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  return bytes;
}

std::vector<std::vector<std::uint8_t>> HeartRatePayloads() {
  std::vector<std::vector<std::uint8_t>> payloads;
  std::ifstream in(std::string(VEL_CAPTURE_DIR) + "/njcant_hrm1.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string time, sensor;
    fields >> time >> sensor;
    std::vector<std::uint8_t> p;
    for (int v; fields >> v;) p.push_back(static_cast<std::uint8_t>(v));
    if (p.size() == 8) payloads.push_back(p);
  }
  if (payloads.empty()) {
    for (int i = 0; i < 2800; ++i) {
      const std::uint8_t toggle = (i / 4) % 2 ? 0x80 : 0;
      payloads.push_back({static_cast<std::uint8_t>(toggle | 4), 0, 0, 0, 0, 0, 0,
                          static_cast<std::uint8_t>(60 + i % 20)});
    }
  }
  return payloads;
}

std::vector<std::vector<std::uint8_t>> SyntheticPayloads(int deviceType, int count) {
  auto lo = [](unsigned v) { return static_cast<std::uint8_t>(v & 0xFF); };
  auto hi = [](unsigned v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); };
  std::vector<std::vector<std::uint8_t>> payloads;
  for (int i = 0; i < count; ++i) {
    const auto n = static_cast<unsigned>(i);
    const std::uint8_t toggle = (n / 4) % 2 ? 0x80 : 0;
    const unsigned wheelTime = n * 250, wheel = n * 2, crankTime = n * 700, crank = n;
    switch (deviceType) {
      case device_type::kHeartRate:
        payloads.push_back({static_cast<std::uint8_t>(toggle | 4), 0, 0, 0, 0, 0, 0,
                            static_cast<std::uint8_t>(90 + n % 40)});
        break;
      case device_type::kBikeSpeed:
        payloads.push_back({toggle, 0, 0, 0, lo(wheelTime), hi(wheelTime), lo(wheel), hi(wheel)});
        break;
      case device_type::kBikeCadence:
        payloads.push_back({toggle, 0, 0, 0, lo(crankTime), hi(crankTime), lo(crank), hi(crank)});
        break;
      case device_type::kBikeSpeedCadence:
        payloads.push_back({lo(crankTime), hi(crankTime), lo(crank), hi(crank), lo(wheelTime),
                            hi(wheelTime), lo(wheel), hi(wheel)});
        break;
      case device_type::kBikePower:
        if (n % 2) {
          payloads.push_back(
              {0x12, lo(n / 2), lo(n), 90, lo(crankTime), hi(crankTime), lo(n * 40), hi(n * 40)});
        } else {
          payloads.push_back(
              {0x10, lo(n), 0xFF, 90, lo(n * 250), hi(n * 250), lo(200 + n % 100), 0});
        }
        break;
      default: break;
    }
  }
  return payloads;
}

}  // namespace vel::bench
