#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vel {

struct SimRecordOptions {
  std::uint8_t deviceType = 0;
  std::uint16_t deviceNumber = 0;  // 0: the first sensor of the type
  double seconds = 60;
  std::string out;  // a file path, or "-" for standard output
};

// Parses the command line (without the program name). On failure returns
// nothing and sets `error` to a one-line reason.
std::optional<SimRecordOptions> ParseSimRecordOptions(const std::vector<std::string>& args,
                                                      std::string& error);

// Every byte a simulated stick sends while it is brought up as the program
// does it (reset, network key, version, capabilities), a channel is set up
// for the sensor on channel 0, the sensor is heard for the given time and
// the channel is closed and unassigned. Runs on a manual clock, so an hour
// of riding takes a moment. `warning` is set when no sensor of the room
// matches (the recording then shows the search time-out).
std::vector<std::uint8_t> RecordSimulatedSensor(const SimRecordOptions& options,
                                                std::string& warning);

}  // namespace vel
