#include "support/board_rig.h"

#include <chrono>
#include <stdexcept>

#include "ant/sim/simulated_stick.h"
#include "support/ant_frames.h"
#include "support/wait_until.h"

namespace vel::test {

std::string DeviceJson(int id, int number, int type, bool active) {
  return R"({"id":)" + std::to_string(id) + R"(,"active":)" + (active ? "true" : "false") +
         R"(,"number":)" + std::to_string(number) + R"(,"type":)" + std::to_string(type) + "}";
}

std::string MemberJson(std::uint64_t id, const std::string& name, const std::string& devices,
                       const std::string& score) {
  return R"({"id":)" + std::to_string(id) + R"(,"name":")" + name + R"(","device":)" + devices +
         R"(,"bicycle":[{"id":1,"active":true,"name":"road","crank":1,"cassette":1,"tire":1}],"score":)" +
         score + "}";
}

SyncStick::SyncStick() {
  transport_.SetResponder([this](const std::vector<std::uint8_t>& w) {
    if (w[2] != ant_id::kRequestMessage) FeedBytes(framer_, Frame(0x40, {w[3], w[2], 0}));
  });
}

BoardRig::BoardRig(std::uint64_t accountId)
    : board(std::make_unique<RiderBoard>(view, messages, server, roster, lists, login)) {
  login.accountId = accountId;
}

BoardRig::~BoardRig() { board.reset(); }

void BoardRig::LoadTeam(const std::vector<std::string>& members) {
  std::string all;
  for (const auto& m : members) all += (all.empty() ? "" : ",") + m;
  server.Answer(1, R"({"header":1,"result":true,"member":[)" + all + "]}");
  if (!roster.LoadMembers()) throw std::runtime_error("the team did not load");
}

int BoardRig::EntryOf(std::uint64_t memberId) const {
  const auto& entries = lists.Entries(0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].memberId == memberId) return static_cast<int>(i);
  }
  return -1;
}

void BoardRig::Seat(int panel, std::uint64_t memberId) {
  board->SelectMember(panel, EntryOf(memberId));
  for (auto box :
       {SensorBox::kSpeed, SensorBox::kCadence, SensorBox::kHeartRate, SensorBox::kPower}) {
    if (board->BoxEnabled(panel, box) && !board->BoxChecked(panel, box)) {
      board->ClickSensorBox(panel, box);
    }
  }
}

AntReceiver& BoardRig::AddSyncStick() {
  syncSticks_.push_back(std::make_unique<SyncStick>());
  auto receiver = std::make_unique<AntReceiver>(&syncSticks_.back()->Framer());
  receiver->HandleMessage(Message(ant_id::kCapabilities, {8, 3}), 2);
  AntReceiver& r = *receiver;
  board->Sticks().AddReceiver(std::move(receiver));
  return r;
}

std::vector<std::string> BoardRig::LogTexts() {
  std::vector<std::string> texts;
  for (std::string s; log.TryPop(s);) texts.push_back(s.substr(s.find(" > ") + 3));
  return texts;
}

SimulatedRoomRig::SimulatedRoomRig() : BoardRig(1) {}

// The sticks go before the room they are plugged into.
SimulatedRoomRig::~SimulatedRoomRig() { board.reset(); }

void SimulatedRoomRig::OpenSticks(int count) {
  ReceiverSettings settings;
  settings.discovery.sysfsRoot = "/nonexistent";
  settings.discovery.libusbLibrary = "libvel-no-such-libusb.so.0";
  settings.discovery.simulatedSticks = count;
  settings.discovery.room = room;
  settings.resetWait = std::chrono::milliseconds(0);
  settings.rescanPeriod = std::chrono::milliseconds(0);
  board->OpenSticks(settings);
  int plugged = 0;
  for (int i = 0; i < count; ++i) plugged += room->Stick(i).IsPluggedIn() ? 1 : 0;
  if (board->Sticks().LiveCount() != static_cast<std::size_t>(plugged)) {
    throw std::runtime_error("not every simulated stick opened");
  }
  const bool sized = WaitFor([&] {
    for (int i = 0; i < count; ++i) {
      AntReceiver* r = ReceiverOf(i);
      if (r != nullptr && r->ChannelCount() != sim::SimulatedStick::kChannels) return false;
    }
    return true;
  });
  if (!sized) throw std::runtime_error("a stick did not report its channels");
}

AntReceiver* SimulatedRoomRig::ReceiverOf(int stick) {
  const std::string key = "sim:" + std::to_string(stick);
  for (std::size_t r = 0; r < board->Sticks().Count(); ++r) {
    AntReceiver* receiver = board->Sticks().Find(r);
    if (receiver != nullptr && receiver->StickKey() == key) return receiver;
  }
  return nullptr;
}

std::uint64_t SimulatedRoomRig::Delivered() {
  std::uint64_t frames = 0;
  for (int i = 0; i < sim::VirtualRoom::kMaxSticks; ++i) frames += room->Stick(i).FramesDelivered();
  return frames;
}

void SimulatedRoomRig::Settle() {
  const bool caughtUp = WaitUntil([&] {
    for (int i = 0; i < sim::VirtualRoom::kMaxSticks; ++i) {
      // A lost stick's loop has ended; what it left unread is gone with it.
      AntReceiver* r = ReceiverOf(i);
      if (r != nullptr && !r->IsLost() &&
          r->MessagesHandled() != room->Stick(i).FramesDelivered()) {
        return false;
      }
    }
    return true;
  });
  if (!caughtUp) throw std::runtime_error("the receive loops did not catch up with the sticks");
}

bool SimulatedRoomRig::WaitFor(const std::function<bool()>& done) {
  for (;;) {
    Settle();
    const std::uint64_t before = Delivered();
    board->DrainEvents();
    if (done()) return true;
    // What the drain started (a channel assigned again) runs on the sticks'
    // threads; when it sent nothing, nothing more will come.
    Settle();
    if (Delivered() == before) return done();
  }
}

void SimulatedRoomRig::Unplug(int stick) {
  AntReceiver* receiver = ReceiverOf(stick);
  room->Stick(stick).Unplug();
  if (receiver == nullptr) return;
  if (!WaitUntil([&] { return receiver->IsLost(); })) {
    throw std::runtime_error("the loss of a stick went unnoticed");
  }
  if (!WaitFor([&] { return ReceiverOf(stick) == nullptr; })) {
    throw std::runtime_error("a lost stick stayed in the plan");
  }
}

void SimulatedRoomRig::Replug(int stick) {
  room->Stick(stick).Replug();
  board->Sticks().ScanForSticks();
  const bool up = WaitFor([&] {
    AntReceiver* r = ReceiverOf(stick);
    return r != nullptr && r->ChannelCount() == sim::SimulatedStick::kChannels;
  });
  if (!up) throw std::runtime_error("a stick plugged in was not brought up");
  // The drain after the bring-up gives it the sensors that wait.
  WaitFor([] { return false; });
}

void SimulatedRoomRig::Ride(std::uint64_t ms, std::uint64_t stepMs) {
  for (std::uint64_t t = 0; t < ms; t += stepMs) {
    clock->AdvanceMs(stepMs);
    ManualTick::Advance(stepMs);
    WaitFor([] { return false; });
  }
}

}  // namespace vel::test
