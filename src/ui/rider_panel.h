#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QToolButton>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/rider_panel_view.h"
#include "controls/custom_static.h"
#include "controls/front_gear.h"
#include "controls/graph.h"
#include "controls/rear_gear.h"

namespace vel {

// One rider panel of the main window: the group box (its frame) and every
// control in it, named by the ids 2000 + 100 * panel + offset. It holds no
// rule: what the user does goes to the actions, what the board decides is
// set through the main window.
class RiderPanel : public QGroupBox {
 public:
  // Control id offsets within a panel.
  enum Offset {
    kMemberList = 0,
    kFrame = 1,
    kGraph = 2,
    kSpeedBox = 3,  // 3 to 6: speed, cadence, heart rate, power
    kSpeedValue = 7,
    kDistanceValue = 8,
    kCadenceValue = 9,
    kHeartRateValue = 10,
    kPowerValue = 11,
    kMaxSpeedValue = 12,  // 12 to 14: maxima of speed, cadence, heart rate
    kFrontGear = 15,
    kRearGear = 16,
    kStartButton = 17,  // panel 0 swaps the button and the clock
    kClock = 18,
  };
  static int ControlId(int panel, int offset);

  struct Actions {
    std::function<void(std::optional<int> entry)> selectMember;
    std::function<void(SensorBox box)> clickBox;
    std::function<void()> clickStart;
  };

  RiderPanel(int panel, Actions actions, QWidget* parent = nullptr);

  QComboBox& MemberList() { return *members_; }
  QCheckBox& Box(SensorBox box) { return *boxes_.at(static_cast<std::size_t>(box)); }
  CCustomStatic& Value(PanelValue value) { return *values_.at(static_cast<std::size_t>(value)); }
  CGraph& Graph() { return *graph_; }
  CGearIndicator& Gear(GearIndicator gear);
  QToolButton& StartButton() { return *start_; }
  CCustomStatic& Clock() { return *clock_; }
  // What is wrong with a box's sensor ("배터리 부족", "신호 없음"), shown as a
  // red mark on the box with the words as its tip; empty: nothing.
  void SetSensorNews(SensorBox box, const std::string& news);

 private:
  int panel_;
  QComboBox* members_;
  std::array<QCheckBox*, kSensorBoxCount> boxes_{};
  std::array<CCustomStatic*, kPanelValueCount> values_{};
  CGraph* graph_;
  CFrontGear* front_;
  CRearGear* rear_;
  QToolButton* start_;
  CCustomStatic* clock_;
};

}  // namespace vel
