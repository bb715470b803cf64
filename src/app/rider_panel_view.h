#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/panel_graphs.h"
#include "rides/zones.h"
#include "sensors/sensor_kinds.h"

namespace vel {

// The value texts of a rider panel.
enum class PanelValue {
  kSpeed,
  kDistance,
  kCadence,
  kHeartRate,
  kPower,
  kMaxSpeed,
  kMaxCadence,
  kMaxHeartRate
};
inline constexpr int kPanelValueCount = 8;

enum class GearIndicator { kFront, kRear };

enum class BatteryLevel { kOk, kLow, kCritical };
enum class ZoneKind { kHeartRate, kPower };

// The controls of the ten rider panels as the rules drive them; the main
// window implements it with its widgets, tools and tests with recorders.
// Every call is a plain display of state the rider board keeps.
class RiderPanelView : public PanelGraphs {
 public:
  virtual void SetValueText(int panel, PanelValue value, const std::string& text) = 0;
  virtual void PushSample(int panel, int series, int value) = 0;
  virtual void SetGearCount(int panel, GearIndicator gear, int count) = 0;
  virtual void SetSelectedGear(int panel, GearIndicator gear, int index) = 0;
  virtual void SetSensorBox(int panel, SensorBox box, bool checked, bool enabled) = 0;
  virtual void SetStartButton(int panel, const std::string& text, bool enabled) = 0;
  virtual void SetClockText(int panel, const std::string& text) = 0;
  virtual void SetGroupCaption(int panel, const std::string& text) = 0;
  // The member list's selection (0: the empty entry; none: no selection).
  virtual void SetMemberSelection(int panel, std::optional<int> index) = 0;

  // What a view may show and another leave out (by default nothing):
  // the training zone of the heart rate or power shown (none without the
  // value or without the rider's reference)...
  virtual void SetZone(int /*panel*/, ZoneKind /*kind*/, std::optional<ZoneReading> /*reading*/) {}
  // ...a sensor's battery as it last said (kOk when it said nothing)...
  virtual void SetBattery(int /*panel*/, SensorBox /*sensor*/, BatteryLevel /*level*/) {}
  // ...and a sensor that is on but has sent nothing for a while, or sends
  // again.
  virtual void SetSignal(int /*panel*/, SensorBox /*sensor*/, bool /*lost*/) {}
};

}  // namespace vel
