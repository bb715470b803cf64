#include "support/room_pipeline.h"

#include <stdexcept>
#include <string>

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
  settings.rescanPeriod = std::chrono::milliseconds(0);
  return settings;
}

void RoomPipeline::OpenSticks(RiderBoard& board, int count) {
  board.OpenSticks(Sticks(count));
  int plugged = 0;
  for (int i = 0; i < count; ++i) plugged += room->Stick(i).IsPluggedIn() ? 1 : 0;
  if (board.Sticks().LiveCount() != static_cast<std::size_t>(plugged)) {
    throw std::runtime_error("not every simulated stick opened");
  }
  const bool sized = WaitFor(board, [&] {
    for (int i = 0; i < count; ++i) {
      const AntReceiver* r = ReceiverOf(board, i);
      if (r != nullptr && r->ChannelCount() != sim::SimulatedStick::kChannels) return false;
    }
    return true;
  });
  if (!sized) throw std::runtime_error("a stick did not report its channels");
}

AntReceiver* RoomPipeline::ReceiverOf(RiderBoard& board, int stick) const {
  const std::string key = "sim:" + std::to_string(stick);
  for (std::size_t r = 0; r < board.Sticks().Count(); ++r) {
    AntReceiver* receiver = board.Sticks().Find(r);
    if (receiver != nullptr && receiver->StickKey() == key) return receiver;
  }
  return nullptr;
}

std::uint64_t RoomPipeline::Delivered() const {
  std::uint64_t frames = 0;
  for (int i = 0; i < sim::VirtualRoom::kMaxSticks; ++i) frames += room->Stick(i).FramesDelivered();
  return frames;
}

void RoomPipeline::Settle(RiderBoard& board) {
  const bool caughtUp = WaitUntil([&] {
    for (int i = 0; i < sim::VirtualRoom::kMaxSticks; ++i) {
      // A lost stick's loop has ended; what it left unread is gone with it.
      const AntReceiver* r = ReceiverOf(board, i);
      if (r != nullptr && !r->IsLost() &&
          r->MessagesHandled() != room->Stick(i).FramesDelivered()) {
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
    const std::uint64_t before = Delivered();
    board.DrainEvents();
    if (done()) return true;
    // What the drain started (a channel assigned again) runs on the sticks'
    // threads; when it sent nothing, nothing more will come.
    Settle(board);
    if (Delivered() == before) return done();
  }
}

void RoomPipeline::Unplug(RiderBoard& board, int stick) {
  AntReceiver* receiver = ReceiverOf(board, stick);
  room->Stick(stick).Unplug();
  if (receiver == nullptr) return;
  if (!WaitUntil([&] { return receiver->IsLost(); })) {
    throw std::runtime_error("the loss of a stick went unnoticed");
  }
  if (!WaitFor(board, [&] { return ReceiverOf(board, stick) == nullptr; })) {
    throw std::runtime_error("a lost stick stayed in the plan");
  }
}

void RoomPipeline::Replug(RiderBoard& board, int stick) {
  room->Stick(stick).Replug();
  board.Sticks().ScanForSticks();
  const bool up = WaitFor(board, [&] {
    const AntReceiver* r = ReceiverOf(board, stick);
    return r != nullptr && r->ChannelCount() == sim::SimulatedStick::kChannels;
  });
  if (!up) throw std::runtime_error("a stick plugged in was not brought up");
  // The drain after the bring-up gives it the sensors that wait.
  WaitFor(board, [] { return false; });
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
