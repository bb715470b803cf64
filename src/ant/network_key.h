#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vel {

// The key set on network 0 of every stick. Real ANT+ sensors answer only
// on the ANT+ network, whose key ANT+ adopters obtain from the ANT+
// alliance; the studio gives it in VEL_ANT_NETWORK_KEY. Without it the
// program's own key is used, which only the simulated sticks accept.
struct NetworkKeySetting {
  std::array<std::uint8_t, 8> key{};
  bool given = false;   // a usable key came from the environment
  std::string problem;  // what is wrong with a value that could not be used
};

// The setting for a VEL_ANT_NETWORK_KEY value (null: not set). A value
// that is not 16 hex digits gives the program's own key and says why.
NetworkKeySetting ReadNetworkKey(const char* hexText);

// The line that tells the studio how real sensors are heard, for a real
// stick set up without the ANT+ key.
std::string NetworkKeyAdvice();

}  // namespace vel
