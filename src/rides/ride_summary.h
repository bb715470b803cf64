#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "rides/ride.h"
#include "rides/zones.h"

namespace vel {

// What the summary knows of the rider: for calories by heart rate, and the
// references of the zones, as they were when the ride began.
struct RiderBody {
  std::optional<double> weightKg;
  std::optional<int> gender;        // the roster's: 1 male, 2 female, else unknown
  std::optional<int> age;           // years
  std::optional<int> maxHeartRate;  // bpm, the rider's or an estimate
  std::optional<int> ftp;           // W
};

// The figures of a ride. Averages are over the samples that have the
// value; a figure no sample has is none.
struct RideSummary {
  enum class CaloriesFrom { kNone, kPower, kHeartRate };

  std::int64_t startUtcMs = 0;
  double ridingSeconds = 0;   // the clock ran
  double elapsedSeconds = 0;  // pauses included
  double distanceKm = 0;
  std::optional<double> avgSpeed, maxSpeed;  // km/h
  std::optional<double> avgCadence;          // rpm
  std::optional<int> maxCadence;
  std::optional<double> avgHeartRate;  // bpm
  std::optional<int> maxHeartRate;
  std::optional<double> avgPower;  // W
  std::optional<int> maxPower;
  // The fourth root of the mean fourth power of the 30 s rolling mean of
  // power; none with fewer than 30 samples of power.
  std::optional<double> normalizedPower;
  std::optional<double> workKj;  // each sample of power counts one second
  // From the work where there is power (1 kcal for every kJ, as riders
  // count it), else from heart rate by Keytel et al. (2005) with weight,
  // gender and age, else none.
  std::optional<double> kcal;
  CaloriesFrom caloriesFrom = CaloriesFrom::kNone;
  // Seconds in each zone (heart rate 0 to 5, power 1 to 7 at 0 to 6), a
  // sample a second; all 0 without the zone's reference.
  std::array<double, kHeartRateZones + 1> heartRateZoneSeconds{};
  std::array<double, kPowerZones> powerZoneSeconds{};
  bool hasHeartRateZones = false;  // a maximum heart rate was known
  bool hasPowerZones = false;      // an FTP was known
};

RideSummary Summarise(const Ride& ride, const RiderBody& body);

// Points for effort by heart rate, as the class ranks it: a minute in zone
// n earns n points (zone 0 none).
double HeartRateZonePoints(const RideSummary& summary);

}  // namespace vel
