#include "rides/ride_summary.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace vel {
namespace {

constexpr std::size_t kNormalizedPowerWindow = 30;  // seconds, one sample each
constexpr double kKilojoulesPerKilocalorie = 4.184;

// Running average and maximum of one value over the samples that have it.
template <typename T>
class Figure {
 public:
  void Add(const std::optional<T>& value) {
    if (!value) return;
    sum_ += static_cast<double>(*value);
    max_ = count_ == 0 ? *value : std::max(max_, *value);
    ++count_;
  }
  std::optional<double> Average() const {
    return count_ == 0 ? std::nullopt : std::optional<double>(sum_ / static_cast<double>(count_));
  }
  std::optional<T> Max() const { return count_ == 0 ? std::nullopt : std::optional<T>(max_); }
  double Sum() const { return sum_; }
  std::size_t Count() const { return count_; }

 private:
  double sum_ = 0;
  T max_{};
  std::size_t count_ = 0;
};

// Over the samples that have power, in order: a value the panel lost for a
// moment neither breaks nor pads the rolling window.
std::optional<double> NormalizedPower(const std::vector<int>& power) {
  if (power.size() < kNormalizedPowerWindow) return std::nullopt;
  double window = 0;
  double fourthPowers = 0;
  std::size_t windows = 0;
  for (std::size_t i = 0; i < power.size(); ++i) {
    window += power[i];
    if (i >= kNormalizedPowerWindow) window -= power[i - kNormalizedPowerWindow];
    if (i + 1 < kNormalizedPowerWindow) continue;
    fourthPowers += std::pow(window / kNormalizedPowerWindow, 4);
    ++windows;
  }
  return std::pow(fourthPowers / static_cast<double>(windows), 0.25);
}

// Keytel et al. (2005), J Sports Sci 23(3): energy expenditure from heart
// rate, weight and age without a measured VO2max, in kJ a minute.
std::optional<double> KeytelKilojoulesPerMinute(int heartRate, const RiderBody& body) {
  if (!body.weightKg || !body.age) return std::nullopt;
  const double hr = heartRate;
  const double w = *body.weightKg;
  const double a = *body.age;
  if (body.gender == 1) return -55.0969 + 0.6309 * hr + 0.1988 * w + 0.2017 * a;
  if (body.gender == 2) return -20.4022 + 0.4472 * hr - 0.1263 * w + 0.074 * a;
  return std::nullopt;
}

}  // namespace

RideSummary Summarise(const Ride& ride, const RiderBody& body) {
  RideSummary summary;
  summary.startUtcMs = ride.startUtcMs;
  summary.hasHeartRateZones = body.maxHeartRate.has_value();
  summary.hasPowerZones = body.ftp.has_value();
  summary.ridingSeconds = static_cast<double>(ride.RidingMs()) / 1000.0;
  summary.elapsedSeconds = static_cast<double>(ride.ElapsedMs()) / 1000.0;

  Figure<double> speed;
  Figure<int> cadence, heartRate, power;
  std::vector<int> powerInOrder;
  std::optional<double> heartRateKcal = 0.0;
  for (const RideSample& s : ride.samples) {
    speed.Add(s.speed);
    cadence.Add(s.cadence);
    heartRate.Add(s.heartRate);
    power.Add(s.power);
    if (s.power) powerInOrder.push_back(*s.power);
    if (s.distance) summary.distanceKm = std::max(summary.distanceKm, *s.distance);
    if (s.heartRate) {
      if (const auto zone = HeartRateZone(*s.heartRate, body.maxHeartRate)) {
        summary.heartRateZoneSeconds[static_cast<std::size_t>(zone->zone)] += 1;
      }
    }
    if (s.power) {
      if (const auto zone = PowerZone(*s.power, body.ftp)) {
        summary.powerZoneSeconds[static_cast<std::size_t>(zone->zone - 1)] += 1;
      }
    }
    if (s.heartRate && heartRateKcal) {
      const auto perMinute = KeytelKilojoulesPerMinute(*s.heartRate, body);
      // A heart rate too low for the formula burns nothing, not less.
      heartRateKcal =
          perMinute ? std::optional<double>(*heartRateKcal + std::max(0.0, *perMinute) / 60.0 /
                                                                 kKilojoulesPerKilocalorie)
                    : std::nullopt;
    }
  }
  summary.avgSpeed = speed.Average();
  summary.maxSpeed = speed.Max();
  summary.avgCadence = cadence.Average();
  summary.maxCadence = cadence.Max();
  summary.avgHeartRate = heartRate.Average();
  summary.maxHeartRate = heartRate.Max();
  summary.avgPower = power.Average();
  summary.maxPower = power.Max();
  summary.normalizedPower = NormalizedPower(powerInOrder);
  if (power.Count() > 0) {
    summary.workKj = power.Sum() / 1000.0;
    summary.kcal = summary.workKj;
    summary.caloriesFrom = RideSummary::CaloriesFrom::kPower;
  } else if (heartRate.Count() > 0 && heartRateKcal) {
    summary.kcal = heartRateKcal;
    summary.caloriesFrom = RideSummary::CaloriesFrom::kHeartRate;
  }
  return summary;
}

double HeartRateZonePoints(const RideSummary& summary) {
  double points = 0;
  for (std::size_t zone = 0; zone < summary.heartRateZoneSeconds.size(); ++zone) {
    points += static_cast<double>(zone) * summary.heartRateZoneSeconds[zone] / 60.0;
  }
  return points;
}

}  // namespace vel
