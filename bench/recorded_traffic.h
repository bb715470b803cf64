#pragma once

#include <cstdint>
#include <vector>

namespace vel::bench {

// The bytes a stick sends for a stream of broadcast payloads on channel 0.
std::vector<std::uint8_t> FramesFor(const std::vector<std::vector<std::uint8_t>>& payloads);

// The heart-rate strap recording as payloads, or, when the recordings are
// not at hand, a synthetic strap with toggling pages.
std::vector<std::vector<std::uint8_t>> HeartRatePayloads();

// A believable stream of payloads of a sensor of this ANT+ device type
// (120, 121, 122, 123 or 11): pages toggling, wheel and crank turning.
std::vector<std::vector<std::uint8_t>> SyntheticPayloads(int deviceType, int count);

}  // namespace vel::bench
