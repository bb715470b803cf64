// The real pieces together: framer over DSISerialGeneric over a simulated
// stick's handle, with the heart-rate decoder driving its channel chain as
// the receive loop would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ant/ant_receiver.h"
#include "ant/framer.h"
#include "ant/serial_generic.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_room.h"
#include "sensors/heart_rate_decoder.h"
#include "support/ant_frames.h"
#include "support/queue_capture.h"
#include "support/wait_until.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Received {
  std::uint16_t length;  // or the framer's 0xFFFF / 0xFFFE
  AntMessage message;
};

class SimulatedStickChainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DiscoverySettings settings;
    settings.sysfsRoot = "/nonexistent";
    settings.libusbLibrary = "libvel-no-such-libusb.so.0";
    settings.simulatedSticks = 1;
    settings.room = room;
    serial = std::make_unique<DSISerialGeneric>(settings);
    framer = std::make_unique<DSIFramerANT>(serial.get());
    receiver = std::make_unique<AntReceiver>(framer.get());
    serial->SetCallback(framer.get());
    serial->Init(57600, 0);
    ASSERT_TRUE(serial->Open());
  }
  void TearDown() override {
    decoder.reset();
    serial->Close();
  }

  // The next message, as the receive loop takes it; handed to the decoder
  // when there is one.
  Received Next() {
    Received r{framer->AwaitMessage(2000), {}};
    if (r.length == DSIFramerANT::kResultTimeout) return r;
    r.length = framer->TakeMessage(r.message, 0);
    if (decoder && r.length <= MESG_MAX_SIZE_VALUE) decoder->ProcessMessage(r.message, r.length);
    return r;
  }
  // Takes messages until one has this id and first data bytes.
  bool TakeUntil(std::uint8_t id, std::vector<std::uint8_t> start) {
    for (int i = 0; i < 200; ++i) {
      const Received r = Next();
      if (r.length == DSIFramerANT::kResultTimeout) return false;
      if (r.length == DSIFramerANT::kResultError || r.message.id != id || r.length < start.size())
        continue;
      if (std::equal(start.begin(), start.end(), r.message.data.begin())) return true;
    }
    return false;
  }
  void Send(std::uint8_t id, std::initializer_list<std::uint8_t> data) {
    ASSERT_TRUE(
        framer->WriteMessage(test::Message(id, data), static_cast<std::uint16_t>(data.size())));
  }
  void BringUp() {
    ASSERT_TRUE(framer->ResetSystem());
    ASSERT_TRUE(TakeUntil(0x6F, {0x20}));
    Send(0x46, {0, 1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_TRUE(TakeUntil(0x40, {0, 0x46, 0}));
  }

  test::QueueCapture queues;
  std::shared_ptr<sim::ManualSimClock> clock = std::make_shared<sim::ManualSimClock>();
  std::shared_ptr<sim::VirtualRoom> room = std::make_shared<sim::VirtualRoom>(clock);
  std::unique_ptr<DSISerialGeneric> serial;
  std::unique_ptr<DSIFramerANT> framer;
  std::unique_ptr<AntReceiver> receiver;
  std::unique_ptr<CDisplay> decoder;
};

TEST_F(SimulatedStickChainTest, BringUpAnswersStartUpKeyVersionAndCapabilities) {
  ASSERT_TRUE(framer->ResetSystem());
  Received r = Next();
  ASSERT_EQ(r.length, 1);
  EXPECT_EQ(r.message.id, 0x6F);
  EXPECT_EQ(r.message.data[0], 0x20);  // reset by command

  // The stick answers within the framer's own wait.
  EXPECT_TRUE(framer->SendCommand(test::Message(0x46, {0, 1, 2, 3, 4, 5, 6, 7, 8}), 9, 1000));
  ASSERT_TRUE(TakeUntil(0x40, {0, 0x46, 0}));

  Send(0x4D, {0, 0x3E});
  r = Next();
  ASSERT_EQ(r.length, 11);
  EXPECT_EQ(r.message.id, 0x3E);
  EXPECT_STREQ(reinterpret_cast<const char*>(r.message.data.data()), "AP2-SIM1.0");

  Send(0x4D, {0, 0x54});
  r = Next();
  ASSERT_EQ(r.message.id, 0x54);
  EXPECT_EQ(r.message.data[0], 8);
  EXPECT_EQ(r.message.data[1], 3);
}

TEST_F(SimulatedStickChainTest, TheHeartRateChannelRunsItsChainAndDecodesTheStrap) {
  BringUp();
  queues.LogTexts();
  decoder = std::make_unique<CHRMDisplay>(
      DecoderSetup{.owner = receiver.get(), .deviceNumber = 12005, .uiid = 4, .graphIds = {0, -1}});
  framer->SendCommand(test::Message(0x42, {0, 0, 0}), 3, 12);  // as the channel plan does
  ASSERT_TRUE(TakeUntil(0x40, {0, 0x66}));
  EXPECT_THAT(
      queues.LogTexts(),
      ElementsAre("Channel assigned", "Setting Channel ID...", "Channel ID set",
                  "Setting Radio Frequency...", "Radio Frequency set", "Setting Message Period...",
                  "Message period assigned", "Opening channel...", "Chanel opened",
                  "Enabling extended messages...", "Extended messages enabled"));

  // Three seconds of the strap: twelve messages at 8070/32768 s.
  for (int i = 0; i < 12; ++i) clock->AdvanceMs(250);
  std::vector<int> sent;
  while (sent.size() < 12) {
    const Received r = Next();
    ASSERT_NE(r.length, DSIFramerANT::kResultTimeout);
    ASSERT_EQ(r.message.id, 0x4E);
    ASSERT_EQ(r.length, 14);  // payload and extended data
    EXPECT_EQ(r.message.data[10] | (r.message.data[11] << 8), 12005);
    sent.push_back(r.message.data[8]);
  }
  // A current strap: its toggle bit flips at the fifth message, from which
  // on every message is an event carrying the strap's heart rate.
  std::vector<int> bpm;
  for (const std::string& e : queues.Events()) {
    EXPECT_THAT(e, HasSubstr(R"("header":0,"uiid":4,"devicetype":120,"graphid":0)"));
    bpm.push_back(std::stoi(e.substr(e.find("\"bpm\":") + 6)));
  }
  EXPECT_EQ(bpm, std::vector<int>(sent.begin() + 4, sent.end()));
  for (int b : bpm) {
    EXPECT_GT(b, 50);
    EXPECT_LT(b, 120);
  }
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("Detecting transmitter device type...", "Current Device detected"));

  // The user closes the channel: closed event, then the decoder unassigns it.
  framer->SendCommand(test::Message(0x4C, {0}), 1, 0);
  ASSERT_TRUE(TakeUntil(0x40, {0, 0x41, 0}));
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Channel Closed", "Unassigning channel..."));
  clock->AdvanceMs(1000);
  EXPECT_EQ(framer->AwaitMessage(50), DSIFramerANT::kResultTimeout);  // the channel is quiet
}

TEST_F(SimulatedStickChainTest, AStrapThatIsNotThereTimesOutAndTheChannelIsUnassigned) {
  room->SetSearchTimeoutMs(1000);
  BringUp();
  decoder = std::make_unique<CHRMDisplay>(DecoderSetup{
      .owner = receiver.get(), .deviceNumber = 777, .channelNumber = 2, .graphIds = {0, -1}});
  framer->SendCommand(test::Message(0x42, {2, 0, 0}), 3, 12);
  ASSERT_TRUE(TakeUntil(0x40, {0, 0x66}));  // that command names no channel
  queues.LogTexts();
  clock->AdvanceMs(1000);
  ASSERT_TRUE(TakeUntil(0x40, {2, 0x41, 0}));
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("Search Timeout", "Channel Closed", "Unassigning channel..."));
  EXPECT_TRUE(queues.Events().empty());
}

TEST_F(SimulatedStickChainTest, ALateResponseMissesTheCommandsWaitButStillArrives) {
  BringUp();
  room->Stick(0).DelayNextResponse(100);
  EXPECT_FALSE(framer->SendCommand(test::Message(0x42, {1, 0, 0}), 3, 12));
  EXPECT_EQ(framer->AwaitMessage(20), DSIFramerANT::kResultTimeout);
  clock->AdvanceMs(100);
  EXPECT_TRUE(TakeUntil(0x40, {1, 0x42, 0}));
}

TEST_F(SimulatedStickChainTest, UnpluggedMidStreamTheFramerHearsDeviceGoneAndTheThreadEnds) {
  BringUp();
  Send(0x42, {0, 0, 0});
  Send(0x51, {0, 0, 0, 120, 0});
  Send(0x45, {0, 57});
  Send(0x43, {0, 8070 & 0xFF, 8070 >> 8});
  Send(0x4B, {0});
  ASSERT_TRUE(TakeUntil(0x40, {0, 0x4B, 0}));
  clock->AdvanceMs(1000);
  ASSERT_TRUE(TakeUntil(0x4E, {0}));

  room->Stick(0).Unplug();
  clock->AdvanceMs(1000);  // nothing more comes from a stick that is gone
  Received r{};
  for (int i = 0; i < 20; ++i) {
    r = Next();
    if (r.length == DSIFramerANT::kResultError) break;
  }
  ASSERT_EQ(r.length, DSIFramerANT::kResultError);
  EXPECT_EQ(r.message.id, DSIFramerANT::kStatusSerialError);
  EXPECT_EQ(r.message.data[0], serial_error::kDeviceGone);
  EXPECT_TRUE(test::WaitUntil([&] { return !serial->IsReceiving(); }));
  EXPECT_FALSE(framer->WriteMessage(test::Message(0x4D, {0, 0x54}), 2));

  // Discovery no longer lists it, so opening again fails until it is back.
  EXPECT_FALSE(serial->Open());
  room->Stick(0).Replug();
  EXPECT_TRUE(serial->Open());
}

}  // namespace
}  // namespace vel
