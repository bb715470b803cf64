#include "ant/framer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "support/ant_frames.h"
#include "support/fake_transport.h"
#include "support/read_file.h"
#include "support/thread_state.h"
#include "support/wait_until.h"

namespace vel {
namespace {

using test::FeedBytes;
using test::Frame;
using test::Message;

class FramerTest : public ::testing::Test {
 protected:
  // AwaitMessage(5000) on a thread of its own, handed back once that
  // thread waits in it.
  std::future<std::uint16_t> AwaitOnAnotherThread() {
    auto waiterId = std::make_shared<std::atomic<pid_t>>(0);
    auto waiting = std::async(std::launch::async, [this, waiterId] {
      *waiterId = test::CurrentThreadId();
      return framer->AwaitMessage(5000);
    });
    EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadIsAsleep(waiterId->load()); }));
    return waiting;
  }

  test::FakeTransport transport;
  std::unique_ptr<DSIFramerANT> framer = std::make_unique<DSIFramerANT>(&transport);
};

TEST_F(FramerTest, DropsJunkUntilSyncAndQueuesCheckedFrame) {
  FeedBytes(*framer, {0x00, 0xFF, 0xA4, 0x01, 0x4B, 0x00, 0xEE});
  EXPECT_EQ(framer->AwaitMessage(0), 1);
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 0), 1);
  EXPECT_EQ(out.id, 0x4B);
  EXPECT_EQ(out.data[0], 0x00);
  EXPECT_EQ(framer->TakeMessage(out, 0), DSIFramerANT::kResultTimeout);
}

TEST_F(FramerTest, BadChecksumIsReportedOnceAndFrameDropped) {
  FeedBytes(*framer, {0xA4, 0x01, 0x4B, 0x00, 0xEF});
  EXPECT_EQ(framer->AwaitMessage(0), DSIFramerANT::kResultError);
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 0), DSIFramerANT::kResultError);
  EXPECT_EQ(out.id, 0x02);
  EXPECT_EQ(out.data[0], 0x04);
  // Reported once; the frame itself never reached the queue.
  EXPECT_EQ(framer->TakeMessage(out, 0), DSIFramerANT::kResultTimeout);
  // The receiver is back to hunting and takes the next good frame.
  FeedBytes(*framer, Frame(0x4E, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(framer->TakeMessage(out, 0), 9);
  EXPECT_EQ(out.id, 0x4E);
}

TEST_F(FramerTest, ResynchronisesAfterACorruptFrameInsideTheStream) {
  // A frame cut short: its "checksum" position lands inside the next frame,
  // which is lost with it; the stream recovers at a later sync byte.
  auto good = Frame(0x4E, {0, 1, 2, 3, 4, 5, 6, 7, 8});
  std::vector<std::uint8_t> stream{0xA4, 0x03, 0x4E, 0x00};
  stream.insert(stream.end(), good.begin(), good.end());
  stream.insert(stream.end(), {0x12, 0x34});
  stream.insert(stream.end(), good.begin(), good.end());
  FeedBytes(*framer, stream);
  AntMessage out;
  int messages = 0;
  int errors = 0;
  for (;;) {
    const auto r = framer->TakeMessage(out, 0);
    if (r == DSIFramerANT::kResultTimeout) break;
    if (r == DSIFramerANT::kResultError) {
      ++errors;
    } else {
      ++messages;
      EXPECT_EQ(out.id, 0x4E);
    }
  }
  EXPECT_GE(errors, 1);
  EXPECT_GE(messages, 1);
}

TEST_F(FramerTest, TakeMessageCutsToTheMaximum) {
  FeedBytes(*framer, Frame(0x4E, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 4), 4);
  EXPECT_EQ(out.data[0], 1);
  EXPECT_EQ(out.data[3], 4);
  EXPECT_EQ(out.data[4], 0) << "only the cut length is copied";
  // The rest of that message is gone.
  EXPECT_EQ(framer->TakeMessage(out, 0), DSIFramerANT::kResultTimeout);
}

TEST_F(FramerTest, OversizedFrameIsKindThreeAndStaysInsideItsEntry) {
  std::vector<std::uint8_t> data(60);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  FeedBytes(*framer, Frame(0x4E, data));
  FeedBytes(*framer, Frame(0x4E, {7, 7, 7, 7, 7, 7, 7, 7, 7}));
  EXPECT_EQ(framer->AwaitMessage(0), 60);
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 0), DSIFramerANT::kResultError);
  EXPECT_EQ(out.id, DSIFramerANT::kStatusOversized);
  // The neighbouring entry was not overwritten.
  EXPECT_EQ(framer->TakeMessage(out, 0), 9);
  EXPECT_EQ(out.data[0], 7);
  EXPECT_EQ(out.data[8], 7);
}

TEST_F(FramerTest, OversizedFrameCutToMaximumIsDelivered) {
  std::vector<std::uint8_t> data(50, 0x33);
  FeedBytes(*framer, Frame(0x4E, data));
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 41), 41);
  EXPECT_EQ(out.data[40], 0x33);
}

TEST_F(FramerTest, FullQueueDropsAndReportsOverflow) {
  const auto frame = Frame(0x4E, {0, 1, 2, 3, 4, 5, 6, 7, 8});
  for (std::size_t i = 0; i < DSIFramerANT::kQueueEntries - 1; ++i) FeedBytes(*framer, frame);
  EXPECT_EQ(framer->AwaitMessage(0), 9) << "65535 messages fit";
  FeedBytes(*framer, frame);
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 0), DSIFramerANT::kResultError);
  EXPECT_EQ(out.id, DSIFramerANT::kStatusOverflow);
  std::size_t taken = 0;
  while (framer->TakeMessage(out, 0) == 9) ++taken;
  EXPECT_EQ(taken, DSIFramerANT::kQueueEntries - 1);
}

TEST_F(FramerTest, AwaitMessageTimesOutWakesOnMessageAndReportsErrors) {
  EXPECT_EQ(framer->AwaitMessage(0), DSIFramerANT::kResultTimeout);
  EXPECT_EQ(framer->AwaitMessage(5), DSIFramerANT::kResultTimeout);

  auto waiting = AwaitOnAnotherThread();
  FeedBytes(*framer, Frame(0x4E, {0, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(waiting.get(), 9);

  framer->OnSerialError(serial_error::kDeviceGone);
  EXPECT_EQ(framer->AwaitMessage(1000), DSIFramerANT::kResultError);
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 0), DSIFramerANT::kResultError);
  EXPECT_EQ(out.id, 2);
  EXPECT_EQ(out.data[0], 1);
  EXPECT_EQ(framer->TakeMessage(out, 0), 9) << "status cleared, queue intact";
}

TEST_F(FramerTest, OneSerialErrorWakesAWaitingReader) {
  auto waiting = AwaitOnAnotherThread();
  framer->OnSerialError(serial_error::kReadFailed);
  EXPECT_EQ(waiting.get(), DSIFramerANT::kResultError);
}

TEST_F(FramerTest, WriteMessageFramesWithTwoTrailingZeros) {
  EXPECT_TRUE(framer->WriteMessage(Message(0x4A, {0x00}), 1));
  ASSERT_EQ(transport.Writes().size(), 1u);
  EXPECT_EQ(transport.Writes()[0],
            (std::vector<std::uint8_t>{0xA4, 0x01, 0x4A, 0x00, 0xEF, 0x00, 0x00}));
}

TEST_F(FramerTest, WriteMessageRefusesTooLongAndReportsTransportFailure) {
  EXPECT_FALSE(framer->WriteMessage(Message(0x4E, {}), 42));
  EXPECT_TRUE(transport.Writes().empty());
  EXPECT_TRUE(framer->WriteMessage(Message(0x4E, {}), 41));
  EXPECT_EQ(transport.Writes().back().size(), 47u);
  transport.SetAccept(false);
  EXPECT_FALSE(framer->WriteMessage(Message(0x4A, {0}), 1));
}

TEST_F(FramerTest, ResetSystemAndUnassignChannelSendTheirCommands) {
  transport.SetResponder([&](const std::vector<std::uint8_t>& w) {
    if (w[2] == 0x41) FeedBytes(*framer, Frame(0x40, {w[3], 0x41, 0x00}));
  });
  EXPECT_TRUE(framer->ResetSystem());
  EXPECT_TRUE(framer->UnassignChannel(5));
  const auto writes = transport.Writes();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0], (std::vector<std::uint8_t>{0xA4, 0x01, 0x4A, 0x00, 0xEF, 0, 0}));
  EXPECT_EQ(writes[1],
            (std::vector<std::uint8_t>{0xA4, 0x01, 0x41, 0x05, 0xA4 ^ 0x01 ^ 0x41 ^ 0x05, 0, 0}));
}

TEST_F(FramerTest, SendCommandSucceedsOnPositiveResponseAndQueuesIt) {
  transport.SetResponder([&](const std::vector<std::uint8_t>&) {
    FeedBytes(*framer, Frame(0x40, {0x03, 0x4B, 0x00}));
  });
  EXPECT_TRUE(framer->SendCommand(Message(0x4B, {0x03}), 1, 12));
  AntMessage out;
  ASSERT_EQ(framer->TakeMessage(out, 0), 3);
  EXPECT_EQ(out.id, 0x40);
  EXPECT_EQ(out.data[1], 0x4B);
}

TEST_F(FramerTest, SendCommandFailsOnNegativeResponseWhichIsStillQueued) {
  transport.SetResponder([&](const std::vector<std::uint8_t>&) {
    FeedBytes(*framer, Frame(0x40, {0x03, 0x4B, 0x15}));
  });
  EXPECT_FALSE(framer->SendCommand(Message(0x4B, {0x03}), 1, 12));
  AntMessage out;
  ASSERT_EQ(framer->TakeMessage(out, 0), 3);
  EXPECT_EQ(out.data[2], 0x15);
}

TEST_F(FramerTest, SendCommandTimesOutAndALateResponseIsQueued) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(framer->SendCommand(Message(0x4B, {0x03}), 1, 12));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(12));
  FeedBytes(*framer, Frame(0x40, {0x03, 0x4B, 0x00}));
  AntMessage out;
  EXPECT_EQ(framer->TakeMessage(out, 0), 3);
}

TEST_F(FramerTest, SendCommandIgnoresResponsesForOtherChannelsOrCommands) {
  transport.SetResponder([&](const std::vector<std::uint8_t>&) {
    FeedBytes(*framer, Frame(0x40, {0x04, 0x4B, 0x00}));  // other channel
    FeedBytes(*framer, Frame(0x40, {0x03, 0x4C, 0x00}));  // other command
  });
  EXPECT_FALSE(framer->SendCommand(Message(0x4B, {0x03}), 1, 12));
}

TEST_F(FramerTest, SendCommandWithoutTimeoutOnlyWrites) {
  EXPECT_TRUE(framer->SendCommand(Message(0x4C, {0x02}), 1, 0));
  transport.SetAccept(false);
  EXPECT_FALSE(framer->SendCommand(Message(0x4C, {0x02}), 1, 0));
  EXPECT_FALSE(framer->SendCommand(Message(0x4C, {0x02}), 1, 1000))
      << "failed write returns at once";
}

TEST_F(FramerTest, ResponseArrivingFromAnotherThreadCompletesEveryMatchingWaiter) {
  std::atomic<int> started{0};
  auto send = [&] {
    ++started;
    return framer->SendCommand(Message(0x42, {0x01, 0x00, 0x00}), 3, 2000);
  };
  auto a = std::async(std::launch::async, send);
  auto b = std::async(std::launch::async, send);
  EXPECT_TRUE(test::WaitUntil([&] { return started >= 2 && transport.Writes().size() >= 2; }));
  FeedBytes(*framer, Frame(0x40, {0x01, 0x42, 0x00}));
  EXPECT_TRUE(a.get());
  EXPECT_TRUE(b.get());
}

TEST_F(FramerTest, OnePacketBurstBecomesAcknowledgedData) {
  FeedBytes(*framer, Frame(0x50, {0x80 | 0x02, 1, 2, 3, 4, 5, 6, 7, 8}));
  FeedBytes(*framer,
            Frame(0x50, {0x20 | 0x02, 1, 2, 3, 4, 5, 6, 7, 8}));  // sequence 1: kept as burst
  AntMessage out;
  ASSERT_EQ(framer->TakeMessage(out, 0), 9);
  EXPECT_EQ(out.id, 0x4F);
  EXPECT_EQ(out.data[0], 0x02);
  ASSERT_EQ(framer->TakeMessage(out, 0), 9);
  EXPECT_EQ(out.id, 0x50);
  EXPECT_EQ(out.data[0], 0x22);
}

TEST_F(FramerTest, NewMessageBufferOnlyForMessagesThatFit) {
  EXPECT_NE(framer->NewMessageBuffer(41), nullptr);
  EXPECT_EQ(framer->NewMessageBuffer(42), nullptr);
}

TEST_F(FramerTest, HandlesRecordedScanModeStream) {
  for (const char* name : {"antgo_123.cap", "antgo_456.cap", "antgo_789.cap"}) {
    DSIFramerANT fresh(&transport);
    FeedBytes(fresh, test::ReadFileBytes(test::CaptureFile(name)));
    AntMessage out;
    int frames = 0;
    for (std::uint16_t r; (r = fresh.TakeMessage(out, 0)) != DSIFramerANT::kResultTimeout;) {
      ASSERT_EQ(r, 14) << name;  // channel, payload, flag and channel id
      EXPECT_EQ(out.id, 0x4E);
      EXPECT_EQ(out.data[9], 0x80);
      ++frames;
    }
    const int expected = std::string(name) == "antgo_123.cap"   ? 234
                         : std::string(name) == "antgo_456.cap" ? 241
                                                                : 363;
    EXPECT_EQ(frames, expected) << name;
  }
}

}  // namespace
}  // namespace vel
