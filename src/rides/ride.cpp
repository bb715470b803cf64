#include "rides/ride.h"

namespace vel {

std::int64_t Ride::RidingMs() const {
  std::int64_t riding = 0;
  for (const RidingSpan& span : spans) riding += span.endMs - span.beginMs;
  return riding;
}

}  // namespace vel
