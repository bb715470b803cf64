#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ant/ant_receiver.h"

namespace vel {

class CDisplay;

// Where one rider's sensor of one kind went: receiver index, channel and
// device type; all -1 while free.
struct SensorSlot {
  std::int32_t receiver = -1;
  std::int32_t channel = -1;
  std::int32_t deviceType = -1;

  bool Free() const { return receiver == -1 && channel == -1 && deviceType == -1; }
  void Clear() { *this = SensorSlot{}; }
};

// The rider panels' graphs, on which the channel plan reserves a series for
// every value a sensor draws.
class PanelGraphs {
 public:
  virtual ~PanelGraphs() = default;
  // The index of a new series of this colour (0x00BBGGRR) on a panel's graph.
  virtual int AddSeries(int panel, std::uint32_t colour) = 0;
  virtual void RemoveSeries(int panel, int series) = 0;
};

// Series colours, as Windows colour values 0x00BBGGRR.
namespace series_colour {
inline constexpr std::uint32_t kHeartRate = 0x0000FF;  // red
inline constexpr std::uint32_t kSpeed = 0x9314FF;      // pink
inline constexpr std::uint32_t kCadence = 0x00FF00;    // green
inline constexpr std::uint32_t kPower = 0xFF0000;      // blue
}  // namespace series_colour

// The sticks of the room and the plan that puts riders' sensors on their
// channels: a rider's sensor goes to the first free channel of the first
// stick that takes it, and its slot records where.
//
// User-interface thread only (the receive loops change the channel tables,
// which the plan reads through the receivers' locked lookups).
class ChannelPlan {
 public:
  using WheelOfPanel = std::function<double(int panel)>;  // metres

  ChannelPlan(PanelGraphs& graphs, WheelOfPanel wheel);
  ~ChannelPlan();

  // Opens sticks 0 to 9, keeping those that open, in order; the count kept.
  std::size_t OpenReceivers(const ReceiverSettings& settings);
  void AddReceiver(std::unique_ptr<AntReceiver> receiver);
  std::size_t ReceiverCount() const { return receivers_.size(); }
  AntReceiver& Receiver(std::size_t index) { return *receivers_.at(index); }

  bool AssignSensor(int panel, int deviceType, int deviceNumber, SensorSlot& slot);
  bool CloseSensor(int panel, SensorSlot& slot);

  // The decoder of this type for this panel on any stick, called with the
  // stick's table locked; false when there is none.
  bool WithDecoder(int panel, int deviceType, const std::function<void(CDisplay&)>& use);

  // Stops every stick in order: receive loop, transport, decoders, receiver.
  void Shutdown();

 private:
  int AssignOn(AntReceiver& receiver, int panel, int deviceType, int deviceNumber,
               const std::vector<int>& series, float wheelM);
  void TakeCadenceFromCombinedSensor(int panel);

  PanelGraphs& graphs_;
  WheelOfPanel wheel_;
  std::vector<std::unique_ptr<AntReceiver>> receivers_;
};

}  // namespace vel
