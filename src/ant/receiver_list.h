#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ant/ant_receiver.h"
#include "ant/stick_watcher.h"
#include "sensors/sensor_kinds.h"

namespace vel {

class CDisplay;

// The room's sticks: a stick's index here is its receiver index, which
// sensor slots and channel-released events name. Sticks found while the
// program runs are added at the end; a lost stick leaves its index empty
// rather than moving the others, so every index keeps its meaning for the
// whole run. Puts decoders on the sticks' channels and closes them; which
// rider and graph they serve is the caller's.
//
// User-interface thread only (the receive loops change the channel tables,
// which the list reads through the receivers' locked lookups; the watcher
// hands found sticks over under its own lock).
class ReceiverList {
 public:
  ReceiverList() = default;
  ~ReceiverList();
  ReceiverList(const ReceiverList&) = delete;
  ReceiverList& operator=(const ReceiverList&) = delete;

  // Opens the sticks of one listing (at most ten), keeping those that open,
  // in order, and starts watching for sticks that come and go; the count
  // kept.
  std::size_t OpenReceivers(const ReceiverSettings& settings);
  void AddReceiver(std::unique_ptr<AntReceiver> receiver);
  // Indexes ever given, the empty ones of lost sticks included.
  std::size_t Count() const { return receivers_.size(); }
  // The stick at an index; nullptr once it was lost.
  AntReceiver* Find(std::size_t index) const;
  AntReceiver& At(std::size_t index) const { return *receivers_.at(index); }
  // Sticks there now, that may take channels.
  std::size_t LiveCount() const;
  bool IsLive(std::size_t index) const;
  // A stick there now whose bring-up has not finished: it takes channels
  // soon (NewlyReady says when).
  bool AnyComingUp() const;

  // Puts a decoder of `deviceType` for the sensor in `setup` on the lowest
  // free channel of stick `index` and sends Assign Channel; the decoder
  // takes the set-up chain from the stick's answer. The channel, or -1 when
  // the stick is gone, already has this sensor or has no free channel, or
  // the command could not be written (the stick is then taken for lost).
  int PlaceSensor(std::size_t index, int deviceType, DecoderSetup setup);
  // Sends Close Channel for a channel that holds a decoder; false when it
  // holds none or the command cannot be written.
  bool CloseChannel(std::size_t index, int channel);

  // The board has seen a channel's release (AntReceiver::ReleaseSeen).
  void ReleaseSeen(int index, int channel);

  // The decoder of this type for this panel on any stick, called with the
  // stick's table locked; false when there is none.
  bool WithDecoder(int panel, int deviceType, const std::function<void(CDisplay&)>& use);
  // The same, looking only at stick `index`.
  bool WithDecoderOn(std::size_t index, int panel, int deviceType,
                     const std::function<void(CDisplay&)>& use);
  // The decoder on one channel of one stick.
  bool WithChannel(std::size_t index, int channel, const std::function<void(CDisplay&)>& use);

  // Sticks come and go, looked after from the board's drain:
  // The indexes of sticks whose receive loop ended because they are gone;
  // they stay listed until Retire.
  std::vector<std::size_t> LostSticks() const;
  // Takes a lost stick out (its index stays empty) and has it closed off
  // this thread.
  void Retire(std::size_t index);
  // Adds the sticks the watcher found and brought up; their indexes.
  std::vector<std::size_t> AdoptFound();
  // Sticks that finished their bring-up since the last call: channels
  // waiting for a stick may go there now.
  std::vector<std::size_t> NewlyReady();
  // Lists the sticks now rather than at the next rescan (tests, tools).
  void ScanForSticks();
  // Asks each stick about channels that fell silent (AntReceiver::CheckChannels).
  void CheckChannels(std::uint64_t nowMs);

  // Stops watching, then every stick in order: receive loop, transport,
  // decoders, receiver.
  void Shutdown();

 private:
  std::size_t Add(std::unique_ptr<AntReceiver> receiver);
  void AdviseOnNetworkKey(const AntReceiver& receiver);

  std::vector<std::unique_ptr<AntReceiver>> receivers_;
  std::vector<bool> ready_;  // bring-up seen finished, per index
  std::unique_ptr<StickWatcher> watcher_;
  bool keyAdviceGiven_ = false;
  bool keyNeeded_ = false;  // the sticks are set up without the ANT+ key
};

}  // namespace vel
