#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vel {

// One second of a ride: what the rider's panel showed. A value the panel
// did not show (no sensor, or cleared by the watchdog) is none, never 0.
struct RideSample {
  std::int64_t offsetMs = 0;     // since the ride began, paused time included
  std::optional<int> heartRate;  // bpm
  std::optional<double> speed;   // km/h
  std::optional<int> cadence;    // rpm
  std::optional<int> power;      // W
  // The ride's distance so far in km: what the panel's sensor counted while
  // the clock ran (a sensor that starts again from 0 adds on).
  std::optional<double> distance;
  std::optional<int> frontTeeth;  // the estimated gear: chainring and
  std::optional<int> rearTeeth;   // sprocket teeth

  bool operator==(const RideSample&) const = default;
};

// A stretch of the ride while the clock ran, [beginMs, endMs) after the
// ride's start. A ride has one, and one more after each pause.
struct RidingSpan {
  std::int64_t beginMs = 0;
  std::int64_t endMs = 0;

  bool operator==(const RidingSpan&) const = default;
};

// One rider's ride: from the first press of ▶ until the member changes or
// the window ends, with the clock's pauses between its spans.
struct Ride {
  std::int64_t id = 0;  // the store's; 0 before it is stored
  std::uint64_t memberId = 0;
  std::string memberName;
  std::int64_t startUtcMs = 0;      // wall-clock time of the start, ms since 1970 (UTC)
  std::vector<RidingSpan> spans;    // in time order, not overlapping
  std::vector<RideSample> samples;  // in time order, one a second while the clock ran
  // Ended by the next start after the program died mid-ride, at its last
  // stored sample.
  bool recovered = false;

  // The end of the last span: the ride's elapsed time.
  std::int64_t ElapsedMs() const { return spans.empty() ? 0 : spans.back().endMs; }
  // The spans together: the riding time.
  std::int64_t RidingMs() const;
};

}  // namespace vel
