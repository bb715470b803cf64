#pragma once

#include <span>

namespace vel::companion {

// ANT+ device types a member may register: 11 power meter, 120 heart rate,
// 121 combined speed and cadence, 122 cadence, 123 speed.
bool IsDeviceType(int type);

// The types a member's newly activated device of `type` switches off, the
// same rule the program applies to its roster: a combined sensor excludes
// speed and cadence sensors, a power meter excludes a cadence sensor, and
// the other way round. Nothing for a heart-rate strap.
std::span<const int> TypesSwitchedOffBy(int type);

// Positions of the program's fixed lists that a bicycle may name (position
// 0, the empty first entry, means nothing chosen, as does -1).
inline constexpr int kChainringCount = 3;
inline constexpr int kCassetteCount = 13;
inline constexpr int kTireCount = 1;

}  // namespace vel::companion
