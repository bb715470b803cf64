#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace vel {

// Whole seconds of `ms`, rounded down, so that a moment before the count's
// start falls in the second it is in.
std::int64_t WholeSeconds(std::int64_t ms);

// `offsetMs` after `utcMs`, held at the ends of the range rather than
// wrapped, for a stored ride with nonsense in it.
std::int64_t MsAfter(std::int64_t utcMs, std::int64_t offsetMs);

// What the studio's clock showed at `utcMs` (ms since 1970, UTC), to the
// second, in the system's time zone; tm_gmtoff has the zone's offset then.
// None for a time the system cannot show.
std::optional<std::tm> LocalTimeAt(std::int64_t utcMs);

// A riding time as the windows show it: "1:05:09" (hours not wrapped).
std::string ClockText(double seconds);

}  // namespace vel
