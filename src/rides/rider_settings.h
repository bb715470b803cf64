#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vel {

// What this computer knows of a rider beyond the team's roster (the
// application server has no such fields): kept in the ride store by member
// id, for zones and calories.
struct RiderSettings {
  std::optional<int> maxHeartRate;  // bpm
  std::optional<int> ftp;           // W
  std::optional<int> birthYear;

  bool operator==(const RiderSettings&) const = default;
};

// The values a person may type; outside them a setting is refused.
inline constexpr int kLowestMaxHeartRate = 100;
inline constexpr int kHighestMaxHeartRate = 240;
inline constexpr int kLowestFtp = 30;
inline constexpr int kHighestFtp = 2000;
inline constexpr int kEarliestBirthYear = 1900;

// Why the settings cannot be kept (a short Korean text for the window and
// the tool), or empty when they can; `thisYear` bounds the year of birth.
std::string RefusedRiderSettings(const RiderSettings& settings, int thisYear);

// The maximum heart rate the zones use: the rider's own, else 208 - 0.7 x
// age (Tanaka et al., 2001) from the year of birth, marked as an estimate.
struct MaxHeartRate {
  int bpm = 0;
  bool estimated = false;
};
std::optional<MaxHeartRate> EffectiveMaxHeartRate(const RiderSettings& settings, int thisYear);
// Age in whole years as the year goes; none without a year of birth.
std::optional<int> AgeIn(const RiderSettings& settings, int thisYear);
// This year on the system's clock, in local time.
int ThisYear();

}  // namespace vel
