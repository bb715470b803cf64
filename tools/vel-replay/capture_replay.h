#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ant/ant_receiver.h"
#include "ant/framer.h"
#include "common/queues.h"
#include "replay_options.h"
#include "sensors/channel_decoder.h"

namespace vel {

// Plays back the bytes a stick sent: cuts them into messages with the
// framer, hands each message of a watched channel to its decoders and
// writes out what they push, in push order.
//
// It binds the process's event and log queues for its lifetime, so only
// one replay runs at a time in a process.
class CaptureReplay {
 public:
  using LineSink = std::function<void(std::string_view)>;

  CaptureReplay(const std::vector<ChannelSpec>& channels, bool withLog, LineSink out,
                LineSink errors);
  ~CaptureReplay();
  CaptureReplay(const CaptureReplay&) = delete;
  CaptureReplay& operator=(const CaptureReplay&) = delete;

  void Feed(const std::uint8_t* bytes, std::size_t count);
  // Destroys the decoders, so their farewell events are written too.
  void Finish();

 private:
  // The replay only listens: commands a decoder sends go nowhere.
  class ListenOnlyTransport : public AntTransport {
   public:
    bool WriteBytes(const std::uint8_t*, std::size_t) override { return false; }
  };
  struct Watched {
    std::uint8_t channel;
    std::unique_ptr<CDisplay> decoder;
  };

  void DrainMessages();
  void Dispatch(const AntMessage& message, std::uint16_t length);
  void Flush();

  LineSink out_;
  LineSink errors_;
  ListenOnlyTransport transport_;
  DSIFramerANT framer_{&transport_};
  AntReceiver receiver_{&framer_};
  StringQueue lines_;    // events, and log lines when they are wanted
  StringQueue dropped_;  // log lines when they are not
  QueueBinding eventBinding_;
  QueueBinding logBinding_;
  std::vector<Watched> watched_;
};

// The decoder's device type that a data message with extended data names,
// when it names one (scan-mode sticks put several sensors on one channel).
std::optional<std::uint8_t> ExtendedDeviceType(const AntMessage& message, std::uint16_t length);

}  // namespace vel
