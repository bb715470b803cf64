#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vel {

// A sensor event text read back on the user-interface thread.
struct SensorEventFields {
  int header = -1;
  int uiid = -1;
  int deviceType = -1;
  int graphId = -1;
  int deviceId = -1;
  int receiver = -1;  // a release's receiver index and channel
  int channel = -1;
  double value = 0.0;  // bpm, speed, distance, cadence, power or battery
  std::uint64_t tick = 0;
};

// None when the text is not an event object with a header and a panel.
std::optional<SensorEventFields> ReadSensorEvent(std::string_view text);

}  // namespace vel
