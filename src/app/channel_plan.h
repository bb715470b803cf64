#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "ant/receiver_list.h"
#include "app/panel_graphs.h"

namespace vel {

// Where one rider's sensor of one kind went: receiver index, channel and
// device type; all -1 while free. It also keeps the sensor's device number
// and the series it draws on, so that the sensor can move to another stick
// with its graph when its stick is lost. A slot whose stick was lost while
// no other stick had a free channel waits for one: its device type is set,
// its receiver and channel are -1.
struct SensorSlot {
  std::int32_t receiver = -1;
  std::int32_t channel = -1;
  std::int32_t deviceType = -1;
  std::int32_t deviceNumber = -1;
  std::array<std::int32_t, 2> series{-1, -1};

  bool Free() const { return receiver == -1 && channel == -1 && deviceType == -1; }
  bool Waiting() const { return receiver == -1 && deviceType != -1; }
  bool Names(int r, int c) const { return receiver == r && channel == c; }
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

  // Puts a sensor on the first stick that takes it. While a stick is still
  // coming up and none took it, the slot waits for it (true all the same).
  bool AssignSensor(int panel, int deviceType, int deviceNumber, SensorSlot& slot);
  // Closes the channel in a slot; a waiting slot is simply let go.
  bool CloseSensor(int panel, SensorSlot& slot);

  // The rider's power meter is gone: the combined sensor, if the rider has
  // one open, draws the cadence again on a new series.
  void GiveCadenceBackToCombinedSensor(int panel);

  // The slot's stick is lost: the sensor goes to a free channel of another
  // stick, drawing on the series it drew on, so that the panel's values,
  // maxima and graph carry on. False when no stick has a free channel: the
  // slot then waits, and MoveSensor is tried again when one may have.
  bool MoveSensor(int panel, SensorSlot& slot);
  // A sensor that was on a lost stick, or waits, and is no longer wanted:
  // its series go and the slot is free.
  void DropSensor(int panel, SensorSlot& slot);

 private:
  // A combined sensor just opened: while the rider's power meter is on the
  // same stick, the power meter keeps drawing the cadence.
  void TakeCadenceFromCombinedSensor(int panel);
  DecoderSetup SetupFor(int panel, int deviceNumber, const std::array<std::int32_t, 2>& series);
  // A power meter draws its rider's cadence in place of a combined sensor,
  // whichever of the two was placed last.
  void ShareCadence(int panel, int placedType);
  std::array<std::int32_t, 2> ReserveSeries(int panel, const SensorKind& kind);
  void ReleaseSeries(int panel, const std::array<std::int32_t, 2>& series);

  ReceiverList& sticks_;
  PanelGraphs& graphs_;
  WheelOfPanel wheel_;
};

}  // namespace vel
