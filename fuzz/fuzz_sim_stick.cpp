// Any bytes a host might write to a simulated stick: cut into frames,
// handled as commands, with the room's clock moving between chunks so that
// open channels send data. The first byte sets the clock step in
// milliseconds. Nothing may read or write outside its buffers, and the
// stick's answers must always be well-framed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "ant/framer.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_room.h"

namespace {

class DeafTransport : public vel::AntTransport {
 public:
  bool WriteBytes(const std::uint8_t*, std::size_t) override { return false; }
};

// Checks what the stick sends with the program's own framer.
class CheckingSink : public vel::sim::StickSink {
 public:
  void OnStickBytes(const std::uint8_t* bytes, std::size_t count) override {
    framer.OnBytes(bytes, count);
    vel::AntMessage m;
    for (std::uint16_t n; (n = framer.TakeMessage(m, 0)) != vel::DSIFramerANT::kResultTimeout;) {
      // The stick never sends a broken or oversized frame unless told to.
      if (n == vel::DSIFramerANT::kResultError) std::abort();
    }
  }
  void OnStickGone() override {}

  DeafTransport transport;
  // Drained after every chunk, so a short queue (cheap for every input)
  // holds all the chunk brings.
  vel::DSIFramerANT framer{&transport, 1024};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto clock = std::make_shared<vel::sim::ManualSimClock>();
  static auto room = std::make_shared<vel::sim::VirtualRoom>(clock);
  if (size == 0) return 0;
  auto sink = std::make_unique<CheckingSink>();
  vel::sim::SimulatedStick& stick = room->Stick(0);
  if (!stick.Attach(sink.get())) return 0;

  const std::uint64_t stepMs = data[0];
  constexpr std::size_t kChunk = 16;
  for (std::size_t at = 1; at < size; at += kChunk) {
    stick.Receive(data + at, std::min(kChunk, size - at));
    clock->AdvanceMs(stepMs);
  }
  stick.Detach(sink.get());
  return 0;
}
