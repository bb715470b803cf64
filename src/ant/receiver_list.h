#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ant/ant_receiver.h"
#include "sensors/sensor_kinds.h"

namespace vel {

class CDisplay;

// The room's sticks, in the order of their USB device numbers: a stick's
// index here is its receiver index. Puts decoders on the sticks' channels
// and closes them; which rider and graph they serve is the caller's.
//
// User-interface thread only (the receive loops change the channel tables,
// which the list reads through the receivers' locked lookups).
class ReceiverList {
 public:
  ReceiverList() = default;
  ~ReceiverList();
  ReceiverList(const ReceiverList&) = delete;
  ReceiverList& operator=(const ReceiverList&) = delete;

  // Opens sticks 0 to 9, keeping those that open, in order; the count kept.
  std::size_t OpenReceivers(const ReceiverSettings& settings);
  void AddReceiver(std::unique_ptr<AntReceiver> receiver);
  std::size_t Count() const { return receivers_.size(); }
  AntReceiver& At(std::size_t index) { return *receivers_.at(index); }

  // Puts a decoder of `deviceType` for the sensor in `setup` on the lowest
  // free channel of stick `index` and sends Assign Channel; the decoder
  // takes the set-up chain from the stick's answer. The channel, or -1 when
  // the stick already has this sensor or no free channel.
  int PlaceSensor(std::size_t index, int deviceType, DecoderSetup setup);
  // Sends Close Channel for a channel that holds a decoder; false when it
  // holds none or the command cannot be written.
  bool CloseChannel(std::size_t index, int channel);

  // The decoder of this type for this panel on any stick, called with the
  // stick's table locked; false when there is none.
  bool WithDecoder(int panel, int deviceType, const std::function<void(CDisplay&)>& use);
  // The same, looking only at stick `index`.
  bool WithDecoderOn(std::size_t index, int panel, int deviceType,
                     const std::function<void(CDisplay&)>& use);

  // Stops every stick in order: receive loop, transport, decoders, receiver.
  void Shutdown();

 private:
  std::vector<std::unique_ptr<AntReceiver>> receivers_;
};

}  // namespace vel
