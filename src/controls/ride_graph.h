#pragma once

#include <QWidget>

#include "rides/ride.h"

namespace vel {

// A whole ride drawn: speed, cadence, heart rate and power over its time,
// in the panels' colours on the panels' dark grid, with the minutes below
// and the scale left. Drawn once a ride is set; nothing without one.
class CRideGraph : public QWidget {
 public:
  explicit CRideGraph(QWidget* parent = nullptr);

  void SetRide(const Ride& ride);
  void Clear();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Ride ride_;
};

}  // namespace vel
