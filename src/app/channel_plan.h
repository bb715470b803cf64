#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ant/receiver_list.h"
#include "app/panel_graphs.h"

namespace vel {

// Where one rider's sensor of one kind went: receiver index, channel and
// device type; all -1 while free.
struct SensorSlot {
  std::int32_t receiver = -1;
  std::int32_t channel = -1;
  std::int32_t deviceType = -1;

  bool Free() const { return receiver == -1 && channel == -1 && deviceType == -1; }
  void Clear() { *this = SensorSlot{}; }
};

// The plan that puts riders' sensors on the sticks' channels: a rider's
// sensor goes to the first free channel of the first stick that takes it,
// with the series it draws reserved on the rider's graph, and its slot
// records where. A power meter draws its rider's cadence in place of a
// combined speed and cadence sensor.
//
// User-interface thread only.
class ChannelPlan {
 public:
  using WheelOfPanel = std::function<double(int panel)>;  // metres; -1 without a member

  ChannelPlan(ReceiverList& sticks, PanelGraphs& graphs, WheelOfPanel wheel);

  bool AssignSensor(int panel, int deviceType, int deviceNumber, SensorSlot& slot);
  bool CloseSensor(int panel, SensorSlot& slot);

  // The rider's power meter is gone: the combined sensor, if the rider has
  // one open, draws the cadence again on a new series.
  void GiveCadenceBackToCombinedSensor(int panel);

 private:
  // A combined sensor just opened: while the rider's power meter is on the
  // same stick, the power meter keeps drawing the cadence.
  void TakeCadenceFromCombinedSensor(int panel);
  std::vector<int> ReserveSeries(int panel, const SensorKind& kind);
  void ReleaseSeries(int panel, const std::vector<int>& series);

  ReceiverList& sticks_;
  PanelGraphs& graphs_;
  WheelOfPanel wheel_;
};

}  // namespace vel
