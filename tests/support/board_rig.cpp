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
  // Brought up as a stick is: its key taken, then its capabilities.
  receiver->HandleMessage(
      Message(ant_id::kChannelResponse, {0, ant_id::kNetworkKey, ant_code::RESPONSE_NO_ERROR}), 3);
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

void SimulatedRoomRig::Unplug(int stick) { pipeline.Unplug(*board, stick); }

void SimulatedRoomRig::Replug(int stick) { pipeline.Replug(*board, stick); }

AntReceiver* SimulatedRoomRig::ReceiverOf(int stick) { return pipeline.ReceiverOf(*board, stick); }

}  // namespace vel::test
