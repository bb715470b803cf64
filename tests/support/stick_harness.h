#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "ant/framer.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_room.h"
#include "support/ant_frames.h"
#include "support/fake_transport.h"

namespace vel::test {

// A simulated stick on a manual clock, with a host that writes commands as
// the framer frames them and reads back the messages the stick sent.
class StickHarness : public sim::StickSink {
 public:
  struct Message {
    std::uint8_t id;
    std::vector<std::uint8_t> data;
    bool operator==(const Message&) const = default;
  };

  StickHarness() { stick().Attach(this); }
  ~StickHarness() { stick().Detach(this); }

  sim::SimulatedStick& stick() { return room->Stick(0); }

  // Writes one framed command (with the two trailing zero bytes).
  void Command(std::uint8_t id, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> frame = Frame(id, data);
    frame.push_back(0);
    frame.push_back(0);
    stick().Receive(frame.data(), frame.size());
  }
  // The messages the stick sent since the last call, cut by the framer.
  std::vector<Message> Take() {
    std::vector<std::uint8_t> bytes;
    {
      std::lock_guard lock(mutex_);
      bytes.swap(bytes_);
    }
    FeedBytes(framer, bytes);
    std::vector<Message> out;
    AntMessage m;
    for (std::uint16_t n; (n = framer.TakeMessage(m, 0)) != DSIFramerANT::kResultTimeout;) {
      if (n == DSIFramerANT::kResultError) {
        out.push_back({0xFF, {m.id, m.data[0]}});  // a framer error, for the test to see
        continue;
      }
      out.push_back({m.id, std::vector<std::uint8_t>(m.data.begin(), m.data.begin() + n)});
    }
    return out;
  }
  std::vector<std::uint8_t> RawBytes() {
    std::lock_guard lock(mutex_);
    return bytes_;
  }
  bool Gone() {
    std::lock_guard lock(mutex_);
    return gone_;
  }

  // Assign, id, frequency, period and open a receive channel.
  void OpenChannel(std::uint8_t ch, std::uint16_t number, std::uint8_t type, std::uint16_t period) {
    Command(0x42, {ch, 0x00, 0x00});
    Command(0x51, {ch, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                   type, 0});
    Command(0x45, {ch, 57});
    Command(0x43, {ch, static_cast<std::uint8_t>(period), static_cast<std::uint8_t>(period >> 8)});
    Command(0x4B, {ch});
  }

  std::shared_ptr<sim::ManualSimClock> clock = std::make_shared<sim::ManualSimClock>();
  std::shared_ptr<sim::VirtualRoom> room = std::make_shared<sim::VirtualRoom>(clock);

 private:
  void OnStickBytes(const std::uint8_t* bytes, std::size_t count) override {
    std::lock_guard lock(mutex_);
    bytes_.insert(bytes_.end(), bytes, bytes + count);
  }
  void OnStickGone() override {
    std::lock_guard lock(mutex_);
    gone_ = true;
  }

  FakeTransport transport_;
  DSIFramerANT framer{&transport_};
  std::mutex mutex_;
  std::vector<std::uint8_t> bytes_;
  bool gone_ = false;
};

inline StickHarness::Message Msg(std::uint8_t id, std::vector<std::uint8_t> data) {
  return {id, std::move(data)};
}

}  // namespace vel::test
