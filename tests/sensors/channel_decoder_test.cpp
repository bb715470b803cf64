#include "sensors/channel_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ant/ant_receiver.h"
#include "sensors/heart_rate_decoder.h"
#include "support/ant_frames.h"
#include "support/fake_transport.h"
#include "support/queue_capture.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;

// Drives a decoder of channel 3, device 0x1234, as the receive loop would.
class ChannelChainTest : public ::testing::Test {
 protected:
  void SetUp() override { transport.SetAccept(false); }  // commands fail at once, but are recorded

  void Respond(std::uint8_t answered, std::uint8_t code) {
    decoder->ProcessMessage(test::Message(0x40, {3, answered, code}), 3);
  }
  // The command frames written since the last call, without sync/len/checksum.
  std::vector<Bytes> Sent() {
    std::vector<Bytes> out;
    for (const auto& w : transport.Writes()) {
      out.push_back(Bytes(w.begin() + 2, w.begin() + 3 + w[1]));
    }
    transport.Clear();
    return out;
  }

  test::QueueCapture queues;
  test::FakeTransport transport;
  DSIFramerANT framer{&transport};
  AntReceiver receiver{&framer};
  std::unique_ptr<CDisplay> decoder = std::make_unique<CHRMDisplay>(DecoderSetup{
      .owner = &receiver, .deviceNumber = 0x1234, .channelNumber = 3, .graphIds = {0, -1}});
};

TEST_F(ChannelChainTest, EachPositiveResponseSendsTheNextCommand) {
  Respond(0x42, 0);
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Channel assigned", "Setting Channel ID..."));
  EXPECT_THAT(Sent(), ElementsAre(Bytes{0x51, 3, 0x34, 0x12, 120, 0}));

  Respond(0x51, 0);
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Channel ID set", "Setting Radio Frequency..."));
  EXPECT_THAT(Sent(), ElementsAre(Bytes{0x45, 3, 57}));

  Respond(0x45, 0);
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Radio Frequency set", "Setting Message Period..."));
  EXPECT_THAT(Sent(), ElementsAre(Bytes{0x43, 3, 8070 & 0xFF, 8070 >> 8}));

  Respond(0x43, 0);
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Message period assigned", "Opening channel..."));
  EXPECT_THAT(Sent(), ElementsAre(Bytes{0x4B, 3}));

  Respond(0x4B, 0);
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Chanel opened", "Enabling extended messages..."));
  EXPECT_THAT(Sent(), ElementsAre(Bytes{0x66, 0, 1}));

  Respond(0x66, 0);
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Extended messages enabled"));
  EXPECT_THAT(Sent(), IsEmpty());
  EXPECT_THAT(queues.Events(), IsEmpty());
}

TEST_F(ChannelChainTest, ANegativeResponseStopsTheChainWithItsLine) {
  const std::pair<std::uint8_t, const char*> steps[] = {
      {0x42, "Error assigning channel: Code 021"},
      {0x51, "Error configuring Channel ID: Code 021"},
      {0x45, "Error configuring Radio Frequency: Code 021"},
      {0x43, "Error assigning Message Period: Code 021"},
      {0x4B, "Error opening channel: Code 021"},
      {0x66, "Error enabling extended messages: Code 021"},
      {0x4C, "Error closing channel: Code 031\n"},
  };
  for (const auto& [answered, line] : steps) {
    Respond(answered, answered == 0x4C ? 31 : 21);
    EXPECT_THAT(queues.LogTexts(), ElementsAre(line)) << std::hex << int(answered);
    EXPECT_THAT(Sent(), IsEmpty());
  }
}

TEST_F(ChannelChainTest, UnsupportedFeaturesAreNamed) {
  Respond(0x66, 40);
  Respond(0x4D, 40);
  Respond(0x4D, 21);  // other request failures are silent
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("Extended messages not supported in this ANT product",
                          "Requested message not supported in this ANT product"));
}

TEST_F(ChannelChainTest, ClosingAnAlreadyClosedChannelUnassignsLikeAClosedEvent) {
  Respond(0x4C, 0);
  EXPECT_THAT(queues.LogTexts(), IsEmpty());
  Respond(0x4C, 21);
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("Channel is already closed", "Unassigning channel..."));
  EXPECT_THAT(Sent(), ElementsAre(Bytes{0x41, 3}));

  Respond(0x01, 7);  // RF event: channel closed
  EXPECT_THAT(queues.LogTexts(), ElementsAre("Channel Closed", "Unassigning channel..."));
  EXPECT_THAT(Sent(), ElementsAre(Bytes{0x41, 3}));
}

TEST_F(ChannelChainTest, RfEventsAreOnlyLogged) {
  for (std::uint8_t code : {1, 2, 8, 9, 3}) Respond(0x01, code);
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("Search Timeout", "Rx Fail", "Go to Search", "Channel Collision"));
  EXPECT_THAT(Sent(), IsEmpty());
}

TEST_F(ChannelChainTest, ChannelIdMessageIsLogged) {
  EXPECT_EQ(decoder->ProcessMessage(test::Message(0x51, {3, 0x61, 0x0D, 120, 1}), 5), 0);
  EXPECT_THAT(queues.LogTexts(), ElementsAre("CHANNEL ID: (3425/120/1)"));
}

TEST_F(ChannelChainTest, ShortMessagesAreIgnored) {
  EXPECT_EQ(decoder->ProcessMessage(test::Message(0x40, {3, 0x42}), 2), 0);
  EXPECT_EQ(decoder->ProcessMessage(test::Message(0x4E, {3, 0, 0, 0}), 4), 0);
  EXPECT_THAT(queues.LogTexts(), IsEmpty());
  EXPECT_THAT(Sent(), IsEmpty());
}

TEST_F(ChannelChainTest, ChainCompletesAgainstARespondingStick) {
  // A stick that answers every command positively, on the transport side.
  transport.SetAccept(true);
  transport.SetResponder([&](const Bytes& w) {
    if (w[2] != 0x66) test::FeedBytes(framer, test::Frame(0x40, {w[3], w[2], 0}));
  });
  AntMessage m;
  Respond(0x42, 0);
  for (std::uint16_t n; (n = framer.TakeMessage(m, 0)) != DSIFramerANT::kResultTimeout;) {
    decoder->ProcessMessage(m, n);
  }
  const auto lines = queues.LogTexts();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Enabling extended messages...");
}

// Transmitter detection: data messages with payload byte 0 bit 7 as given.
class DetectionTest : public ChannelChainTest {
 protected:
  std::int32_t Data(std::uint8_t toggle) {
    return decoder->ProcessMessage(
        test::Message(0x4E, {3, static_cast<std::uint8_t>(toggle << 7), 0, 0, 0, 0, 0, 0, 70}), 9);
  }
};

TEST_F(DetectionTest, ToggleFlipOnSecondMessageIsACurrentTransmitter) {
  EXPECT_EQ(Data(0), 0);
  EXPECT_EQ(Data(1), 1);
  EXPECT_EQ(decoder->TransmitterKind(), CDisplay::kKindCurrent);
  EXPECT_EQ(Data(1), 1);
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("Detecting transmitter device type...", "Current Device detected"));
}

TEST_F(DetectionTest, SixUnchangedTogglesMakeALegacyTransmitterOnTheSixth) {
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Data(1), 0) << i;
  EXPECT_EQ(Data(1), 1);
  EXPECT_EQ(decoder->TransmitterKind(), CDisplay::kKindLegacy);
  // Settled for good: a later flip changes nothing.
  EXPECT_EQ(Data(0), 1);
  EXPECT_EQ(decoder->TransmitterKind(), CDisplay::kKindLegacy);
  EXPECT_THAT(queues.LogTexts(),
              ElementsAre("Detecting transmitter device type...", "Legacy Device detected"));
}

TEST_F(DetectionTest, AcknowledgedDataCountsLikeBroadcast) {
  decoder->ProcessMessage(test::Message(0x4F, {3, 0, 0, 0, 0, 0, 0, 0, 70}), 9);
  EXPECT_EQ(decoder->ProcessMessage(test::Message(0x4F, {3, 0x80, 0, 0, 0, 0, 0, 0, 70}), 9), 1);
}

}  // namespace
}  // namespace vel
