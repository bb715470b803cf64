#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "team/roster_limits.h"
#include "team_records.h"

namespace vel::companion {

// The values the team store takes. A refused value is errcode kBadValue,
// except a team name, which the program reports as unavailable.

// Non-empty, at most kMaxNameBytes bytes, not only spaces, no control characters.
bool UsableName(std::string_view name);
// Non-empty, at most kMaxTeamNameBytes bytes, no spaces or control characters.
bool UsableTeamName(std::string_view name);
// A registrable ANT+ device type with a number of 0 to kMaxDeviceNumber.
bool UsableDevice(int number, int type);
// Height and weight missing or 0 to kMaxBodyValue, gender missing or 0 to 2.
bool UsableBody(const BodyInfo& body);
// The stored bicycle of a request: a usable name, a weight as body data,
// and list positions the program's lists have (-1 and 0 both mean nothing
// chosen and become -1); inactive. None when the request is refused.
std::optional<BicycleRecord> StoredBicycle(const BicycleRequest& request);

// A record's value with -1 (unknown, nothing chosen) as none, as the store
// keeps it (NULL) and the wire carries it (null); and back.
std::optional<double> Known(double value);
std::optional<int> Known(std::int32_t value);
double OrUnknown(const std::optional<double>& value);
std::int32_t OrUnknown(const std::optional<int>& value);

// A record's body data and bicycle as a request would send them.
BodyInfo BodyOf(const MemberRecord& member);
BicycleRequest RequestOf(const BicycleRecord& bicycle);

}  // namespace vel::companion
