#include "ant/sim/simulated_stick.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/stick_harness.h"

namespace vel::sim {
namespace {

using test::Msg;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SimulatedStickTest : public ::testing::Test {
 protected:
  test::StickHarness host;
};

TEST_F(SimulatedStickTest, ResetKeyVersionAndCapabilitiesAnswerAsARealStick) {
  host.Command(0x4A, {0});
  host.Command(0x46, {0, 1, 2, 3, 4, 5, 6, 7, 8});
  host.Command(0x4D, {0, 0x3E});
  host.Command(0x4D, {0, 0x54});
  EXPECT_THAT(host.Take(),
              ElementsAre(Msg(0x6F, {0x20}), Msg(0x40, {0, 0x46, 0}),
                          Msg(0x3E, {'A', 'P', '2', '-', 'S', 'I', 'M', '1', '.', '0', 0}),
                          Msg(0x54, {8, 3, 0x00, 0xBA, 0x36, 0x00})));
  host.Command(0x46, {3, 1, 2, 3, 4, 5, 6, 7, 8});  // only networks 0 to 2
  host.Command(0x46, {0, 1, 2});                    // short key
  host.Command(0x4D, {0, 0x99});                    // nothing to report
  host.Command(0x47, {0, 3});                       // a command the stick does not know
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x40, {3, 0x46, 41}), Msg(0x40, {0, 0x46, 40}),
                                       Msg(0x40, {0, 0x4D, 40}), Msg(0x40, {0, 0x47, 40})));
}

TEST_F(SimulatedStickTest, ChannelCommandsInTheWrongStateGetCode21) {
  host.Command(0x4B, {2});  // open an unassigned channel
  host.Command(0x4C, {2});  // close it
  host.Command(0x41, {2});  // unassign it
  host.Command(0x51, {2, 0, 0, 120, 0});
  host.Command(0x42, {2, 0, 0});
  host.Command(0x42, {2, 0, 0});  // assign an assigned channel
  host.Command(0x42, {9, 0, 0});  // no channel 9
  host.Command(0x42, {3, 0, 5});  // no network 5
  host.Command(0x43, {2, 0, 0});  // period 0
  host.Command(0x45, {2, 200});   // no such frequency
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x40, {2, 0x4B, 21}), Msg(0x40, {2, 0x4C, 21}),
                                       Msg(0x40, {2, 0x41, 21}), Msg(0x40, {2, 0x51, 21}),
                                       Msg(0x40, {2, 0x42, 0}), Msg(0x40, {2, 0x42, 21}),
                                       Msg(0x40, {9, 0x42, 40}), Msg(0x40, {3, 0x42, 41}),
                                       Msg(0x40, {2, 0x43, 40}), Msg(0x40, {2, 0x45, 40})));

  host.Command(0x4B, {2});
  host.Command(0x4B, {2});                          // open an open channel
  host.Command(0x41, {2});                          // unassign an open channel
  host.Command(0x46, {0, 1, 2, 3, 4, 5, 6, 7, 8});  // key of a network in use
  host.Command(0x4C, {2});
  host.Command(0x4C, {2});  // close a closed channel
  host.Command(0x41, {2});
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x40, {2, 0x4B, 0}), Msg(0x40, {2, 0x4B, 21}),
                                       Msg(0x40, {2, 0x41, 21}), Msg(0x40, {0, 0x46, 25}),
                                       Msg(0x40, {2, 0x4C, 0}), Msg(0x40, {2, 0x01, 7}),
                                       Msg(0x40, {2, 0x4C, 21}), Msg(0x40, {2, 0x41, 0})));
}

TEST_F(SimulatedStickTest, AnOpenChannelSendsTheMatchingSensorAtItsPeriod) {
  host.OpenChannel(0, 12004, 120, 8070);
  host.Command(0x66, {0, 1});
  EXPECT_EQ(host.Take().size(), 6u);

  // 8070/32768 s = 246.3 ms: nothing before, exactly one message at it.
  host.clock->AdvanceMs(246);
  EXPECT_THAT(host.Take(), IsEmpty());
  host.clock->AdvanceMs(1);
  auto messages = host.Take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, 0x4E);
  ASSERT_EQ(messages[0].data.size(), 14u);
  EXPECT_EQ(messages[0].data[0], 0);
  // Extended data: flag, device number 12004, type 120, transmission type 1.
  EXPECT_THAT(std::vector<std::uint8_t>(messages[0].data.begin() + 9, messages[0].data.end()),
              ElementsAre(0x80, 12004 & 0xFF, 12004 >> 8, 120, 1));

  // Ten seconds: one message per period, within one.
  host.clock->AdvanceMs(10000);
  messages = host.Take();
  EXPECT_NEAR(static_cast<double>(messages.size()), 10000.0 / (8070 * 1000.0 / 32768), 1.0);

  host.Command(0x4D, {0, 0x52});
  host.Command(0x4D, {0, 0x51});
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x52, {0, 0x03}),  // tracking, network 0, receive
                                       Msg(0x51, {0, 12004 & 0xFF, 12004 >> 8, 120, 1})));
}

TEST_F(SimulatedStickTest, AWildcardChannelFindsTheFirstSensorOfItsTypeWithoutExtendedData) {
  host.OpenChannel(1, 0, 11, 8182);
  host.Take();
  host.clock->AdvanceMs(300);
  auto messages = host.Take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].data.size(), 9u);
  EXPECT_EQ(messages[0].data[0], 1);
  EXPECT_EQ(messages[0].data[1], 0x10);  // rider 1's power-only meter
  host.Command(0x4D, {1, 0x51});
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x51, {1, 1101 & 0xFF, 1101 >> 8, 11, 5})));
}

TEST_F(SimulatedStickTest, ASearchThatFindsNothingTimesOutAndClosesTheChannel) {
  host.room->SetSearchTimeoutMs(2000);
  host.OpenChannel(0, 4242, 120, 8070);  // no such strap in the room
  host.Command(0x4D, {0, 0x52});
  auto setup = host.Take();
  EXPECT_EQ(setup.back(), Msg(0x52, {0, 0x02}));  // searching
  host.clock->AdvanceMs(1999);
  EXPECT_THAT(host.Take(), IsEmpty());
  host.clock->AdvanceMs(1);
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x40, {0, 1, 1}), Msg(0x40, {0, 1, 7})));
  host.Command(0x4D, {0, 0x52});
  host.Command(0x41, {0});
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x52, {0, 0x01}), Msg(0x40, {0, 0x41, 0})));

  // The wrong frequency hears nothing either; a search time-out command of
  // 1 (2.5 s) overrides the room's default.
  host.Command(0x42, {0, 0, 0});
  host.Command(0x51, {0, 0, 0, 120, 0});
  host.Command(0x45, {0, 66});
  host.Command(0x44, {0, 1});
  host.Command(0x4B, {0});
  host.Take();
  host.clock->AdvanceMs(2499);
  EXPECT_THAT(host.Take(), IsEmpty());
  host.clock->AdvanceMs(1);
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x40, {0, 1, 1}), Msg(0x40, {0, 1, 7})));
}

TEST_F(SimulatedStickTest, BrokenAndJunkInputIsIgnoredAndTheNextGoodFrameAnswered) {
  std::vector<std::uint8_t> bad = test::Frame(0x4D, {0, 0x3E});
  bad.back() ^= 1;
  host.stick().Receive(bad.data(), bad.size());
  // Junk ending in a stray sync and a length byte.
  const std::uint8_t junk[] = {0x00, 0x13, 0xFF, 0xA4, 0x05, 0x00, 0x00};
  host.stick().Receive(junk, sizeof junk);
  EXPECT_THAT(host.Take(), IsEmpty());
  // The stray frame swallows the start of the next one and fails its
  // checksum; the stick is back in step for the frame after.
  host.Command(0x4D, {0, 0x54});
  host.Command(0x4D, {0, 0x3E});
  const auto messages = host.Take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, 0x3E);
  EXPECT_EQ(host.stick().BadFramesReceived(), 2u);
}

TEST_F(SimulatedStickTest, FaultHooksGarbleInjectDelayAndUnplug) {
  host.stick().GarbleNextFrame();
  host.Command(0x4D, {0, 0x54});
  host.stick().InjectJunk({0x01, 0x02, 0x03});
  host.Command(0x4D, {0, 0x54});
  // The broken checksum reaches the framer as its error; the junk is
  // skipped while it hunts for the next sync byte.
  EXPECT_THAT(host.Take(),
              ElementsAre(Msg(0xFF, {2, 4}), Msg(0x54, {8, 3, 0x00, 0xBA, 0x36, 0x00})));
  EXPECT_EQ(host.stick().BadFramesReceived(), 0u);

  host.stick().DelayNextResponse(50);
  host.Command(0x4D, {0, 0x3E});
  host.Command(0x46, {0, 1, 2, 3, 4, 5, 6, 7, 8});  // not delayed: answered first
  EXPECT_THAT(host.Take(), ElementsAre(Msg(0x40, {0, 0x46, 0})));
  host.clock->AdvanceMs(49);
  EXPECT_THAT(host.Take(), IsEmpty());
  host.clock->AdvanceMs(1);
  ASSERT_EQ(host.Take().size(), 1u);

  EXPECT_FALSE(host.Gone());
  host.stick().Unplug();
  EXPECT_TRUE(host.Gone());
  EXPECT_FALSE(host.stick().IsPluggedIn());
  host.Command(0x4D, {0, 0x54});
  EXPECT_THAT(host.Take(), IsEmpty());
  host.stick().Replug();
  EXPECT_TRUE(host.stick().Attach(&host));  // a new host may take it
}

TEST_F(SimulatedStickTest, EveryStickHearsTheSameSensorTheSame) {
  class Second : public StickSink {
   public:
    void OnStickBytes(const std::uint8_t* b, std::size_t n) override {
      bytes.insert(bytes.end(), b, b + n);
    }
    void OnStickGone() override {}
    std::vector<std::uint8_t> bytes;
  } second;
  ASSERT_TRUE(host.room->Stick(1).Attach(&second));
  EXPECT_FALSE(host.room->Stick(1).Attach(&second));  // already taken
  host.OpenChannel(0, 12301, 123, 8118);
  for (const auto& f :
       {test::Frame(0x42, {0, 0, 0}), test::Frame(0x51, {0, 12301 & 0xFF, 12301 >> 8, 123, 0}),
        test::Frame(0x45, {0, 57}), test::Frame(0x43, {0, 8118 & 0xFF, 8118 >> 8}),
        test::Frame(0x4B, {0})}) {
    host.room->Stick(1).Receive(f.data(), f.size());
  }
  host.Take();
  second.bytes.clear();
  host.clock->AdvanceMs(60000);  // one long jump: both sticks still get every message
  const auto raw = host.Take();
  std::vector<test::StickHarness::Message> seen;
  {
    DSIFramerANT framer(nullptr);
    test::FeedBytes(framer, second.bytes);
    AntMessage m;
    for (std::uint16_t n; (n = framer.TakeMessage(m, 0)) != DSIFramerANT::kResultTimeout;) {
      seen.push_back({m.id, std::vector<std::uint8_t>(m.data.begin(), m.data.begin() + n)});
    }
  }
  ASSERT_GT(raw.size(), 230u);
  ASSERT_EQ(raw.size(), seen.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    EXPECT_EQ(std::vector<std::uint8_t>(raw[i].data.begin() + 1, raw[i].data.end()),
              std::vector<std::uint8_t>(seen[i].data.begin() + 1, seen[i].data.end()))
        << "message " << i;
  }
  host.room->Stick(1).Detach(&second);
}

}  // namespace
}  // namespace vel::sim
