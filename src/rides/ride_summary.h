#pragma once

#include <cstdint>
#include <optional>

#include "rides/ride.h"

namespace vel {

// What the summary knows of the rider, for calories by heart rate.
struct RiderBody {
  std::optional<double> weightKg;
  std::optional<int> gender;  // the roster's: 1 male, 2 female, else unknown
  std::optional<int> age;     // years
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
};

RideSummary Summarise(const Ride& ride, const RiderBody& body);

}  // namespace vel
