#pragma once

#include <array>
#include <cstdint>

#include "app/rider_panel_view.h"
#include "common/room.h"
#include "sensors/battery_status.h"
#include "sensors/sensor_event.h"

namespace vel {

// How the panels' sensors are: the battery each last reported, and a
// sensor that is on but has sent nothing for more than kSilentMs (a strap
// off the chest, a dying battery, a rider out of range), both shown on the
// panel and logged once when they begin.
//
// User-interface thread only; times are the program's tick clock.
class PanelHealth {
 public:
  static constexpr std::uint64_t kSilentMs = 5000;

  explicit PanelHealth(RiderPanelView& view) : view_(view) {}

  // A value came from the sensor: it is on and heard.
  void Heard(int panel, SensorBox sensor, std::uint64_t now);
  // The sensor went off (its value retracted, its box unticked).
  void Off(int panel, SensorBox sensor);
  void Battery(int panel, SensorBox sensor, BatteryStatus status);
  // Every sensor of a panel off: its member changes.
  void Reset(int panel);
  // Marks the sensors silent since kSilentMs at `now`; the clock timer's.
  void Check(std::uint64_t now);

  bool Silent(int panel, SensorBox sensor) const { return Of(panel, sensor).silent; }
  BatteryLevel Level(int panel, SensorBox sensor) const { return Of(panel, sensor).level; }

 private:
  struct Sensor {
    bool on = false;
    std::uint64_t lastHeard = 0;
    bool silent = false;
    BatteryLevel level = BatteryLevel::kOk;
  };
  Sensor& Of(int panel, SensorBox sensor) {
    return panels_.at(static_cast<std::size_t>(panel)).at(static_cast<std::size_t>(sensor));
  }
  const Sensor& Of(int panel, SensorBox sensor) const {
    return panels_.at(static_cast<std::size_t>(panel)).at(static_cast<std::size_t>(sensor));
  }
  void SetSilent(int panel, SensorBox sensor, bool silent);

  RiderPanelView& view_;
  std::array<std::array<Sensor, kSensorBoxCount>, kRiderPanels> panels_{};
};

// The sensor box of a reading's header (heart rate, speed, cadence, power).
SensorBox BoxOfReading(EventHeader header);

// "heart rate", "speed", "cadence", "power": a sensor in log lines.
const char* SensorBoxName(SensorBox sensor);

}  // namespace vel
