#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/rider_panel_view.h"
#include "rides/zones.h"

namespace vel {

// What the class screen shows of a rider panel: the seated rider, the
// values the panel shows with their zones, and the ride's figures so far.
struct PanelTile {
  bool seated = false;
  std::string name;
  std::optional<int> heartRate;
  std::optional<ZoneReading> heartRateZone;  // none without a maximum heart rate
  bool maxHeartRateEstimated = false;        // the maximum is 208 - 0.7 x age
  std::optional<int> power;
  std::optional<ZoneReading> powerZone;  // none without an FTP
  std::optional<int> cadence;
  std::optional<double> speed;
  bool clockRunning = false;
  double ridingSeconds = 0;
  double distanceKm = 0;
  std::optional<double> kcal;
  std::optional<double> avgPower;
  double zonePoints = 0;
  // By sensor box (speed, cadence, heart rate, power).
  std::array<BatteryLevel, kSensorBoxCount> battery{};
  std::array<bool, kSensorBoxCount> silent{};
};

}  // namespace vel
