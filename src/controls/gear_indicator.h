#pragma once

#include <QWidget>

#include "app/rider_panel_view.h"

namespace vel {

// A row of bars for the chainrings or the sprockets of a rider's bicycle,
// largest first, with the gear the rider is in highlighted. New counts and
// gears show at the next tick of its one-second timer.
class CGearIndicator : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRepaintMs = 1000;

  // Number of bars; -1 or 0 shows none.
  void SetGearCount(int count) {
    changed_ = changed_ || count != count_;
    count_ = count;
  }
  // The highlighted bar; -1 none.
  void SetSelectedGear(int index) {
    changed_ = changed_ || index != selected_;
    selected_ = index;
  }

 protected:
  CGearIndicator(GearIndicator side, QWidget* parent);
  void paintEvent(QPaintEvent* event) override;

 private:
  GearIndicator side_;
  int count_ = -1;
  int selected_ = -1;
  bool changed_ = false;  // since the last tick
};

}  // namespace vel
