#include "rides/ride_time.h"

#include <cstdio>
#include <limits>

namespace vel {

std::int64_t WholeSeconds(std::int64_t ms) { return ms / 1000 - (ms % 1000 < 0 ? 1 : 0); }

std::int64_t MsAfter(std::int64_t utcMs, std::int64_t offsetMs) {
  std::int64_t sum = 0;
  if (!__builtin_add_overflow(utcMs, offsetMs, &sum)) return sum;
  return offsetMs > 0 ? std::numeric_limits<std::int64_t>::max()
                      : std::numeric_limits<std::int64_t>::min();
}

std::optional<std::tm> LocalTimeAt(std::int64_t utcMs) {
  const std::time_t seconds = static_cast<std::time_t>(WholeSeconds(utcMs));
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return local;
}

std::string ClockText(double seconds) {
  const auto s = static_cast<long>(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

}  // namespace vel
