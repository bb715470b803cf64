#include "rides/zones.h"

#include <algorithm>

#include "common/verify.h"

namespace vel {

std::optional<ZoneReading> HeartRateZone(int heartRate, std::optional<int> maxHeartRate) {
  if (!maxHeartRate || *maxHeartRate <= 0) return std::nullopt;
  const double percent = 100.0 * heartRate / *maxHeartRate;
  int zone = 0;
  for (const TrainingZone& z : kHeartRateZoneTable) {
    if (z.number > 0 && percent >= z.fromPercent) zone = z.number;
  }
  return ZoneReading{zone, percent};
}

std::optional<ZoneReading> PowerZone(int power, std::optional<int> ftp) {
  if (!ftp || *ftp <= 0) return std::nullopt;
  const double percent = 100.0 * power / *ftp;
  int zone = 1;
  for (const TrainingZone& z : kPowerZoneTable) {
    if (percent > z.fromPercent && z.fromPercent > 0) zone = z.number;
  }
  return ZoneReading{zone, percent};
}

const TrainingZone& HeartRateZoneOf(int zone) {
  VEL_VERIFY_OR_DEBUG_ASSERT(zone >= 0 && zone <= kHeartRateZones) { zone = 0; }
  return kHeartRateZoneTable[static_cast<std::size_t>(zone)];
}

const TrainingZone& PowerZoneOf(int zone) {
  VEL_VERIFY_OR_DEBUG_ASSERT(zone >= 1 && zone <= kPowerZones) { zone = 1; }
  return kPowerZoneTable[static_cast<std::size_t>(zone - 1)];
}

}  // namespace vel
