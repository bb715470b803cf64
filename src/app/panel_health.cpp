#include "app/panel_health.h"

#include <string>

#include "common/queues.h"

namespace vel {

SensorBox BoxOfReading(EventHeader header) {
  switch (header) {
    case EventHeader::kSpeed: return SensorBox::kSpeed;
    case EventHeader::kCadence: return SensorBox::kCadence;
    case EventHeader::kPower: return SensorBox::kPower;
    default: return SensorBox::kHeartRate;
  }
}

const char* SensorBoxName(SensorBox sensor) {
  switch (sensor) {
    case SensorBox::kHeartRate: return "heart rate";
    case SensorBox::kSpeed: return "speed";
    case SensorBox::kCadence: return "cadence";
    case SensorBox::kPower: return "power";
  }
  return "";
}

void PanelHealth::Heard(int panel, SensorBox sensor, std::uint64_t now) {
  Sensor& s = Of(panel, sensor);
  s.on = true;
  s.lastHeard = now;
  if (s.silent) {
    PushLog("The " + std::string(SensorBoxName(sensor)) + " sensor of rider panel " +
            std::to_string(panel) + " sends again");
    SetSilent(panel, sensor, false);
  }
}

void PanelHealth::Off(int panel, SensorBox sensor) {
  Sensor& s = Of(panel, sensor);
  s.on = false;
  if (s.silent) SetSilent(panel, sensor, false);
  if (s.level != BatteryLevel::kOk) {
    s.level = BatteryLevel::kOk;
    view_.SetBattery(panel, sensor, BatteryLevel::kOk);
  }
}

void PanelHealth::Battery(int panel, SensorBox sensor, BatteryStatus status) {
  const BatteryLevel level = status == BatteryStatus::kCritical ? BatteryLevel::kCritical
                             : status == BatteryStatus::kLow    ? BatteryLevel::kLow
                                                                : BatteryLevel::kOk;
  Sensor& s = Of(panel, sensor);
  if (s.level == level) return;
  s.level = level;
  view_.SetBattery(panel, sensor, level);
  if (level != BatteryLevel::kOk) {
    PushLog("The " + std::string(SensorBoxName(sensor)) + " sensor of rider panel " +
            std::to_string(panel) + " reports a " +
            (level == BatteryLevel::kCritical ? "critical" : "low") + " battery");
  }
}

void PanelHealth::Reset(int panel) {
  for (int k = 0; k < kSensorBoxCount; ++k) Off(panel, static_cast<SensorBox>(k));
}

void PanelHealth::Check(std::uint64_t now) {
  for (int panel = 0; panel < kRiderPanels; ++panel) {
    for (int k = 0; k < kSensorBoxCount; ++k) {
      const auto sensor = static_cast<SensorBox>(k);
      const Sensor& s = Of(panel, sensor);
      if (!s.on || s.silent || now < s.lastHeard + kSilentMs) continue;
      PushLog("The " + std::string(SensorBoxName(sensor)) + " sensor of rider panel " +
              std::to_string(panel) + " has sent nothing for " + std::to_string(kSilentMs / 1000) +
              " s");
      SetSilent(panel, sensor, true);
    }
  }
}

void PanelHealth::SetSilent(int panel, SensorBox sensor, bool silent) {
  Of(panel, sensor).silent = silent;
  view_.SetSignal(panel, sensor, silent);
}

}  // namespace vel
