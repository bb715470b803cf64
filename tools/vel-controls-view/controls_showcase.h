#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

#include "ant/sim/virtual_rider.h"
#include "app/gear_estimate.h"
#include "controls/color_list_box.h"
#include "controls/custom_static.h"
#include "controls/front_gear.h"
#include "controls/graph.h"
#include "controls/log_window.h"
#include "controls/rear_gear.h"

namespace vel {

// One of each drawn control, laid out as in a rider panel, with the log
// window beside it, fed by a rider of the simulated room: one graph sample
// of speed, cadence, heart rate and power per second of riding, the values,
// the gear the rider is in, and a log line a minute.
class ControlsShowcase : public QWidget {
 public:
  ControlsShowcase();

  // Rides on for `seconds` (whole seconds) at once.
  void Ride(int seconds);
  // Rides one second every 250 ms.
  void RideLive();
  // Writes the window, each control and the log window to `folder` as PNG;
  // false with `error` set when a file cannot be written.
  bool Grab(const QString& folder, QString& error);

 private:
  void RideOneSecond();

  sim::VirtualRider rider_;
  std::uint64_t seconds_ = 0;
  GearRatioTable gearRatios_;
  CLogDlg* log_;
  CCustomStatic* caption_;
  CCustomStatic* speed_;
  CCustomStatic* maxSpeed_;
  CGraph* graph_;
  int speedSeries_;
  int cadenceSeries_;
  int heartRateSeries_;
  int powerSeries_;
  CFrontGear* front_;
  CRearGear* rear_;
  CColorListBox* sensors_;
  double maxSpeedKmh_ = 0;
};

}  // namespace vel
