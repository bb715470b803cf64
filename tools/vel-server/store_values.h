#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "team_records.h"

namespace vel::companion {

// The values the team store takes. A refused value is errcode kBadValue,
// except a team name, which the program reports as unavailable.

inline constexpr std::size_t kMaxName = 100;      // bytes of a member's or bicycle's name
inline constexpr std::size_t kMaxTeamName = 100;  // bytes
inline constexpr double kMaxBodyValue = 1000;     // centimetres or kilograms
inline constexpr int kMaxDeviceNumber = 0xFFFF;

// Non-empty, at most kMaxName bytes, not only spaces, no control characters.
bool UsableName(std::string_view name);
// Non-empty, at most kMaxTeamName bytes, no spaces or control characters.
bool UsableTeamName(std::string_view name);
// A registrable ANT+ device type with a number of 0 to kMaxDeviceNumber.
bool UsableDevice(int number, int type);
// Height and weight missing or 0 to kMaxBodyValue, gender missing or 0 to 2.
bool UsableBody(const BodyInfo& body);
// A usable name, a weight as body data, and list positions the program's
// lists have. Positions -1 and 0 both mean nothing chosen and become none.
bool NormaliseBicycle(BicycleRecord& bicycle);

}  // namespace vel::companion
