#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "ant/ant_frame_decoder.h"
#include "ant/sim/virtual_sensor.h"
#include "common/ant_message.h"

namespace vel::sim {

class VirtualRoom;

// Where a simulated stick's bytes go: the handle that has it open.
class StickSink {
 public:
  virtual ~StickSink() = default;
  virtual void OnStickBytes(const std::uint8_t* bytes, std::size_t count) = 0;
  // The stick was pulled out.
  virtual void OnStickGone() = 0;
};

// An ANT USB stick of the simulated room, speaking the ANT serial protocol
// byte for byte: the start-up message after a reset, responses to the
// network key and every channel command with the codes a real stick gives,
// version and capabilities (8 channels, 3 networks), channel status and
// channel id on request, and for every open channel the data of the room
// sensor it finds, at the channel's period, with extended data once that
// is enabled. A channel that finds no sensor within the search time-out
// reports the time-out and closes.
//
// Test hooks simulate faults: pulling the stick out, a reset of its own, a
// broken checksum or junk bytes in what it sends, a late response, and the
// answer to one given command lost, late or refused.
//
// Threads: Receive comes from writers, Pump from the handle's reader or the
// thread that moves a manual clock; one lock covers the stick, and sink
// calls happen under it (so a detached sink is never called again).
class SimulatedStick {
 public:
  static constexpr int kChannels = 8;
  static constexpr int kNetworks = 3;
  static constexpr std::uint8_t kRfFrequencyOfRoom = kAntPlusRfChannel;
  // "AP2-SIM1.0" zero-padded to the 11 bytes a stick sends.
  static constexpr std::array<std::uint8_t, 11> kVersion{'A', 'P', '2', '-', 'S', 'I',
                                                         'M', '1', '.', '0', 0};

  // What becomes of the answer FaultNextAnswerTo picks out.
  struct AnswerFault {
    enum class Kind : std::uint8_t {
      kLost,     // the command acts, but nothing of what it causes is sent
      kLate,     // what it causes goes out `lateMs` later, in one piece
      kRefused,  // it does not act; a channel response with `code` answers it
    };
    Kind kind = Kind::kLost;
    std::uint32_t lateMs = 0;
    std::uint8_t code = 0;
  };

  SimulatedStick(VirtualRoom& room, int index);
  SimulatedStick(const SimulatedStick&) = delete;
  SimulatedStick& operator=(const SimulatedStick&) = delete;

  int Index() const { return index_; }

  // Connects a host (as a freshly powered stick: nothing assigned). False
  // when the stick is pulled out or another host has it.
  bool Attach(StickSink* sink);
  // After Detach returns the sink is never called again.
  void Detach(StickSink* sink);

  // Bytes the host writes.
  void Receive(const std::uint8_t* bytes, std::size_t count);
  // Emits everything due up to now (or up to `ticks`).
  void Pump();
  void PumpUntil(std::uint64_t ticks);
  // When something falls due next, in the clock's microseconds.
  std::optional<std::uint64_t> NextDueUs() const;

  // Faults.
  void Unplug();  // the host's handle sees the device gone
  void Replug();
  bool IsPluggedIn() const;
  // Resets by itself mid-ride (a watchdog reset): every channel and the
  // network key are forgotten, and the start-up message goes to the host.
  void ResetItself();
  void GarbleNextFrame();  // the next frame sent carries a broken checksum
  void InjectJunk(const std::vector<std::uint8_t>& bytes);  // sent at once
  void DelayNextResponse(std::uint32_t ms);  // what the next command causes comes late
  // The next answer to `command`: a command's message id, or for a request
  // the id of the message asked for (the version, the capabilities).
  void FaultNextAnswerTo(std::uint8_t command, AnswerFault fault);

  std::uint32_t BadFramesReceived() const;
  // Frames handed to the host that has it now, since it attached (a host
  // that has handled as many has caught up with the stick).
  std::uint64_t FramesDelivered() const;

 private:
  enum class ChannelState : std::uint8_t {
    kUnassigned = 0,
    kAssigned = 1,
    kSearching = 2,
    kTracking = 3
  };

  struct Channel {
    ChannelState state = ChannelState::kUnassigned;
    std::uint8_t type = 0;
    std::uint8_t network = 0;
    std::uint16_t deviceNumber = 0;
    std::uint8_t deviceType = 0;
    std::uint8_t transmissionType = 0;
    std::uint8_t rfFrequency = 66;                 // a stick's default, 2466 MHz
    std::uint16_t period = 8192;                   // a stick's default, 4 Hz
    std::optional<std::uint32_t> searchTimeoutMs;  // none: the room's default
    bool infiniteSearch = false;
    std::uint64_t nextDue = 0;  // ticks
    std::optional<std::uint64_t> searchDeadline;
    const VirtualSensor* sensor = nullptr;
  };

  struct Delayed {
    std::uint64_t due;
    std::vector<std::uint8_t> bytes;
    std::uint64_t frames;  // whole, well-formed frames among the bytes
  };

  void PowerOn();
  void OnFrame(std::uint8_t id, const std::uint8_t* data, std::uint8_t length);
  void HandleCommand(std::uint8_t id, const std::uint8_t* data, std::uint8_t length);
  void Request(std::uint8_t channel, std::uint8_t what);
  void OpenChannel(std::uint8_t channel);
  void ChannelTick(std::uint8_t channel, std::uint64_t due);
  void PumpLocked(std::uint64_t now);

  void Respond(std::uint8_t channel, std::uint8_t answered, std::uint8_t code);
  void RfEvent(std::uint8_t channel, std::uint8_t code);
  void Send(std::uint8_t id, const std::uint8_t* data, std::uint8_t length);
  // `frames`: how many well-formed frames the bytes hold.
  void Output(const std::uint8_t* bytes, std::size_t count, std::uint64_t frames);

  VirtualRoom& room_;
  const int index_;

  mutable std::mutex mutex_;
  StickSink* sink_ = nullptr;
  bool pluggedIn_ = true;
  AntFrameDecoder decoder_;
  std::uint32_t badFrames_ = 0;
  std::array<Channel, kChannels> channels_{};
  bool extendedMessages_ = false;
  std::vector<Delayed> delayed_;
  bool garbleNext_ = false;
  std::uint32_t delayNextMs_ = 0;
  std::optional<std::uint8_t> faultedCommand_;
  AnswerFault answerFault_;
  std::vector<std::uint8_t>* capture_ = nullptr;  // output held back for a late response
  std::uint64_t capturedFrames_ = 0;
  std::uint64_t framesDelivered_ = 0;
};

}  // namespace vel::sim
