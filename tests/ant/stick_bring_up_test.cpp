// The bring-up of one stick on a simulated stick, run on the test's thread:
// the stick answers within each write, and its late answers come when the
// test moves the room's clock. The bring-up's own clock (the tick count) is
// moved by hand beside it, so nothing depends on how fast anything runs.
#include "ant/stick_bring_up.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ant/framer.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_room.h"
#include "common/tick_clock.h"
#include "support/fake_transport.h"
#include "support/queue_capture.h"

namespace vel {
namespace {

using sim::SimulatedStick;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

// A framer whose writes go to simulated stick 0 and which the stick's
// answers feed at once; the test plays the receive loop.
class BringUpRig : private sim::StickSink, private StickBringUp::Listener {
 protected:
  static constexpr std::uint8_t kUsbDevice = 3;

  BringUpRig() {
    transport.SetResponder([this](const std::vector<std::uint8_t>& frame) {
      stick().Receive(frame.data(), frame.size());
    });
    stick().Attach(this);
  }
  ~BringUpRig() override { stick().Detach(this); }

  SimulatedStick& stick() { return room->Stick(0); }

  // Hands every queued message to the bring-up, as the receive loop would.
  void Drain() {
    AntMessage m;
    for (std::uint16_t n; (n = framer.TakeMessage(m, 0)) != DSIFramerANT::kResultTimeout;) {
      if (n != DSIFramerANT::kResultError) bringUp.Handle(m, n);
    }
  }
  // Both clocks move on by `ms`: what the stick held back until then is
  // handled, then the bring-up checks its answers as the user-interface
  // thread does.
  void Pass(std::uint64_t ms) {
    test::ManualTick::Advance(ms);
    clock->AdvanceMs(ms);
    Drain();
    bringUp.CheckAnswers(TickCount64());
    Drain();
  }
  // The commands the bring-up wrote, in order.
  std::string Commands() const {
    std::string out;
    for (const std::vector<std::uint8_t>& frame : transport.Writes()) {
      const std::uint8_t id = frame[2];
      std::string name = "other";
      if (id == ant_id::kResetSystem) name = "reset";
      if (id == ant_id::kNetworkKey) name = "key";
      if (id == ant_id::kRequestMessage && frame[4] == ant_id::kVersion) name = "version";
      if (id == ant_id::kRequestMessage && frame[4] == ant_id::kCapabilities) name = "caps";
      out += (out.empty() ? "" : " ") + name;
    }
    return out;
  }

  test::QueueCapture queues;
  test::ManualTick tick{1000};
  std::shared_ptr<sim::ManualSimClock> clock = std::make_shared<sim::ManualSimClock>();
  std::shared_ptr<sim::VirtualRoom> room = std::make_shared<sim::VirtualRoom>(clock);
  test::FakeTransport transport;
  DSIFramerANT framer{&transport};
  StickBringUp bringUp{framer, kUsbDevice, *this};
  std::vector<std::size_t> channelCounts;
  int setUpsAgain = 0;

 private:
  void OnStickBytes(const std::uint8_t* bytes, std::size_t count) override {
    framer.OnBytes(bytes, count);
  }
  void OnStickGone() override {}
  void OnChannelCount(std::size_t channels) override { channelCounts.push_back(channels); }
  void OnBroughtUpAgain() override { ++setUpsAgain; }
};

enum class Fault { kNone, kLost, kLateWithin, kLatePast, kRefused };

struct Case {
  const char* name;
  std::uint8_t step;  // the command whose answer fails
  Fault fault;
  const char* commands;  // what the bring-up sent, in order
  // Done or not ('+' / '-') after Begin, within the time-out, at it, and
  // long after.
  const char* done;
  int setUpsAgain;
};

// A case goes by its name in test names and messages.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

SimulatedStick::AnswerFault AnswerFaultOf(Fault fault) {
  using Kind = SimulatedStick::AnswerFault::Kind;
  switch (fault) {
    case Fault::kLateWithin: return {Kind::kLate, StickBringUp::kAnswerMs / 2, 0};
    case Fault::kLatePast: return {Kind::kLate, StickBringUp::kAnswerMs * 3 / 2, 0};
    case Fault::kRefused: return {Kind::kRefused, 0, ant_code::kInvalidMessage};
    default: return {Kind::kLost, 0, 0};
  }
}

class StickBringUpStepTest : public ::testing::TestWithParam<Case>, protected BringUpRig {};

// A lost answer is made up for by the key sent again at the time-out; a
// late one is taken when it comes (a late start-up message looks like a
// reset of the stick's own, which sets it up again); a refusal is a lost
// answer. Each path ends brought up.
TEST_P(StickBringUpStepTest, EndsBroughtUpWhateverBecomesOfTheAnswer) {
  const Case& c = GetParam();
  if (c.fault != Fault::kNone) stick().FaultNextAnswerTo(c.step, AnswerFaultOf(c.fault));
  std::string done;
  const auto note = [&] { done += bringUp.IsDone() ? '+' : '-'; };
  bringUp.Begin(std::chrono::milliseconds(0));
  Drain();
  note();
  Pass(StickBringUp::kAnswerMs - 1);
  note();
  Pass(1);
  note();
  Pass(2 * StickBringUp::kAnswerMs);
  note();

  EXPECT_EQ(Commands(), c.commands);
  EXPECT_EQ(done, c.done);
  EXPECT_EQ(setUpsAgain, c.setUpsAgain);
  EXPECT_THAT(channelCounts, Not(IsEmpty()));
  EXPECT_THAT(channelCounts, Each(SimulatedStick::kChannels));
}

constexpr std::uint8_t kReset = ant_id::kResetSystem;
constexpr std::uint8_t kKey = ant_id::kNetworkKey;
constexpr std::uint8_t kVersion = ant_id::kVersion;
constexpr std::uint8_t kCaps = ant_id::kCapabilities;

INSTANTIATE_TEST_SUITE_P(
    Steps, StickBringUpStepTest,
    ::testing::Values(
        Case{"GoodPath", 0, Fault::kNone, "reset key version caps", "++++", 0},
        Case{"ResetLost", kReset, Fault::kLost, "reset key version caps", "++++", 0},
        Case{"ResetLateWithin", kReset, Fault::kLateWithin,
             "reset key version caps key version caps", "++++", 1},
        Case{"ResetLatePast", kReset, Fault::kLatePast, "reset key version caps key version caps",
             "++++", 1},
        Case{"ResetRefused", kReset, Fault::kRefused, "reset key version caps", "++++", 0},
        Case{"KeyLost", kKey, Fault::kLost, "reset key key version caps", "--++", 0},
        Case{"KeyLateWithin", kKey, Fault::kLateWithin, "reset key version caps", "-+++", 0},
        Case{"KeyLatePast", kKey, Fault::kLatePast, "reset key key version caps version caps",
             "--++", 0},
        Case{"KeyRefused", kKey, Fault::kRefused, "reset key key version caps", "--++", 0},
        Case{"VersionLost", kVersion, Fault::kLost, "reset key version key version caps", "--++",
             0},
        Case{"VersionLateWithin", kVersion, Fault::kLateWithin, "reset key version caps", "-+++",
             0},
        Case{"VersionLatePast", kVersion, Fault::kLatePast,
             "reset key version key version caps caps", "--++", 0},
        Case{"VersionRefused", kVersion, Fault::kRefused, "reset key version key version caps",
             "--++", 0},
        Case{"CapsLost", kCaps, Fault::kLost, "reset key version caps key version caps", "--++", 0},
        Case{"CapsLateWithin", kCaps, Fault::kLateWithin, "reset key version caps", "-+++", 0},
        Case{"CapsLatePast", kCaps, Fault::kLatePast, "reset key version caps key version caps",
             "--++", 0},
        Case{"CapsRefused", kCaps, Fault::kRefused, "reset key version caps key version caps",
             "--++", 0}),
    [](const ::testing::TestParamInfo<Case>& step) { return std::string(step.param.name); });

class StickBringUpTest : public ::testing::Test, protected BringUpRig {};

TEST_F(StickBringUpTest, LogsEachStepOfTheGoodPath) {
  bringUp.Begin(std::chrono::milliseconds(0));
  Drain();
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("USB device( 3 ) initialisation was successful!", "Resetting module...",
                          "Setting network key...", "RESET Complete, reason : RESET_CMD",
                          "Network key set.", "VERSION: AP2-SIM1.0", "Max ANT Channels: 8",
                          "Max ANT Networks: 3"));
  EXPECT_FALSE(bringUp.CheckAnswers(TickCount64() + StickBringUp::kAnswerMs));
  EXPECT_THAT(queues.LogTexts(), IsEmpty());
}

// The key goes out when the pause after the reset is over, on the loop
// that asks; capabilities a stick sent before its key (asked by a handle
// that wakes it up) size no channel table.
TEST_F(StickBringUpTest, TheKeyWaitsOutThePauseAndCapabilitiesBeforeItSizeNothing) {
  const AntCommand wakeUp = ant_command::RequestMessage(0, ant_id::kCapabilities);
  framer.WriteMessage(wakeUp.message, wakeUp.length);
  Drain();
  bringUp.Begin(std::chrono::milliseconds(1000));
  Drain();
  EXPECT_EQ(bringUp.SetKeyWhenDue(TickCount64()), 1000u);
  test::ManualTick::Advance(999);
  EXPECT_EQ(bringUp.SetKeyWhenDue(TickCount64()), 1u);
  EXPECT_TRUE(bringUp.CheckAnswers(TickCount64())) << "under way, and no key sent early";
  EXPECT_EQ(Commands(), "caps reset");
  EXPECT_THAT(channelCounts, IsEmpty());

  test::ManualTick::Advance(1);
  EXPECT_EQ(bringUp.SetKeyWhenDue(TickCount64()), StickBringUp::kNothingDue);
  Drain();
  EXPECT_EQ(Commands(), "caps reset key version caps");
  EXPECT_TRUE(bringUp.IsDone());
  EXPECT_THAT(channelCounts, ElementsAre(SimulatedStick::kChannels));
}

// A stick that still has open channels refuses a new key and keeps the one
// it had: when bringing up again that counts as the key set, at first not.
TEST_F(StickBringUpTest, AKeyRefusedForOpenChannelsCountsAsSetOnlyWhenBringingUpAgain) {
  const SimulatedStick::AnswerFault openChannels{SimulatedStick::AnswerFault::Kind::kRefused, 0,
                                                 ant_code::kCloseAllChannels};
  stick().FaultNextAnswerTo(kKey, openChannels);
  bringUp.Begin(std::chrono::milliseconds(0));
  Drain();
  EXPECT_FALSE(bringUp.IsDone());
  Pass(StickBringUp::kAnswerMs);
  ASSERT_TRUE(bringUp.IsDone());
  transport.Clear();

  stick().FaultNextAnswerTo(kKey, openChannels);
  bringUp.BringUpAgain();
  EXPECT_TRUE(bringUp.IsBringingUpAgain());
  Drain();
  EXPECT_EQ(Commands(), "key version caps");
  EXPECT_TRUE(bringUp.IsDone());
  EXPECT_FALSE(bringUp.IsBringingUpAgain());
  EXPECT_EQ(setUpsAgain, 1);
}

}  // namespace
}  // namespace vel
