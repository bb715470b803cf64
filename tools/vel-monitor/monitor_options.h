#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vel {

// vel-monitor's command line.
struct MonitorOptions {
  struct Sensor {
    int panel;
    int deviceType;
    int deviceNumber;
  };
  struct Rider {
    int panel;
    std::uint64_t memberId;
  };
  std::vector<Sensor> sensors;
  std::string server;  // base URL of the application server
  std::optional<std::uint64_t> account;
  std::vector<Rider> riders;
  bool allRiders = false;         // the team's members on panels 0, 1, ... in list order
  std::optional<double> seconds;  // none: until interrupted
  bool log = false;
  // A ride store: every seated panel's clock is started and its ride
  // recorded there, as the program records it; empty: none.
  std::string rides;
};

// None, with a one-line reason in `error`, for a command line that does
// not make sense.
std::optional<MonitorOptions> ParseMonitorOptions(const std::vector<std::string>& args,
                                                  std::string& error);

}  // namespace vel
