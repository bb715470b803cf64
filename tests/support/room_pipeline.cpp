#include "support/room_pipeline.h"

#include <stdexcept>

#include "ant/sim/simulated_stick.h"
#include "support/wait_until.h"

namespace vel::test {

RoomPipeline::RoomPipeline() = default;

ReceiverSettings RoomPipeline::Sticks(int count) const {
  ReceiverSettings settings;
  settings.discovery.sysfsRoot = "/nonexistent";
  settings.discovery.libusbLibrary = "libvel-no-such-libusb.so.0";
  settings.discovery.simulatedSticks = count;
  settings.discovery.room = room;
  settings.resetWait = std::chrono::milliseconds(0);
  return settings;
}

void RoomPipeline::OpenSticks(RiderBoard& board, int count) {
  board.OpenSticks(Sticks(count));
  if (board.Sticks().Count() != static_cast<std::size_t>(count)) {
    throw std::runtime_error("not every simulated stick opened");
  }
  const bool sized = WaitFor(board, [&] {
    for (std::size_t r = 0; r < board.Sticks().Count(); ++r) {
      if (board.Sticks().At(r).ChannelCount() != sim::SimulatedStick::kChannels) return false;
    }
    return true;
  });
  if (!sized) throw std::runtime_error("a stick did not report its channels");
}

std::uint64_t RoomPipeline::Delivered(RiderBoard& board) const {
  std::uint64_t frames = 0;
  for (std::size_t r = 0; r < board.Sticks().Count(); ++r) {
    frames += room->Stick(static_cast<int>(r)).FramesDelivered();
  }
  return frames;
}

void RoomPipeline::Settle(RiderBoard& board) {
  const bool caughtUp = WaitUntil([&] {
    for (std::size_t r = 0; r < board.Sticks().Count(); ++r) {
      if (board.Sticks().At(r).MessagesHandled() !=
          room->Stick(static_cast<int>(r)).FramesDelivered()) {
        return false;
      }
    }
    return true;
  });
  if (!caughtUp) throw std::runtime_error("the receive loops did not catch up with the sticks");
}

bool RoomPipeline::WaitFor(RiderBoard& board, const std::function<bool()>& done) {
  for (;;) {
    Settle(board);
    const std::uint64_t before = Delivered(board);
    board.DrainEvents();
    if (done()) return true;
    // What the drain started (a channel assigned again) runs on the sticks'
    // threads; when it sent nothing, nothing more will come.
    Settle(board);
    if (Delivered(board) == before) return done();
  }
}

void RoomPipeline::Ride(RiderBoard& board, std::uint64_t ms, std::uint64_t stepMs,
                        const std::function<void(std::uint64_t)>& advanceTick) {
  for (std::uint64_t t = 0; t < ms; t += stepMs) {
    clock->AdvanceMs(stepMs);
    advanceTick(stepMs);
    WaitFor(board, [] { return false; });
  }
}

}  // namespace vel::test
