#include "ant/byte_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ant/usb_device_handle.h"
#include "support/thread_state.h"
#include "support/wait_until.h"

namespace vel {
namespace {

TEST(ByteQueueTest, ReadsInArrivalOrderUpToTheMaximum) {
  ByteQueue q;
  const std::uint8_t a[] = {1, 2, 3};
  const std::uint8_t b[] = {4, 5};
  q.Append(a, 3);
  q.Append(b, 2);
  std::uint8_t out[4] = {};
  std::size_t n = 0;
  EXPECT_EQ(q.Read(out, 4, n, 0), HandleResult::kOk);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(out[3], 4);
  EXPECT_EQ(q.Read(out, 4, n, 0), HandleResult::kOk);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(q.Read(out, 4, n, 5), HandleResult::kNothingRead);
  EXPECT_EQ(n, 0u);
  // An empty queue reads as nothing even without a wait, for every handle.
  EXPECT_EQ(q.Read(out, 4, n, 0), HandleResult::kNothingRead);
  EXPECT_EQ(n, 0u);
}

TEST(ByteQueueTest, GoneWinsOverQueuedBytesAndWakesAWaitingRead) {
  ByteQueue q;
  std::size_t n = 0;
  std::uint8_t out[4];
  HandleResult result = HandleResult::kOk;
  std::atomic<pid_t> readerId{0};
  std::thread reader([&] {
    readerId = test::CurrentThreadId();
    result = q.Read(out, 4, n, 10000);
  });
  // Mark the loss once the reader waits, so that it is the wait that ends.
  EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadIsAsleep(readerId.load()); }));
  q.MarkGone();
  reader.join();
  EXPECT_EQ(result, HandleResult::kDeviceGone);
  const std::uint8_t a[] = {1};
  q.Append(a, 1);
  EXPECT_EQ(q.Read(out, 4, n, 0), HandleResult::kDeviceGone);
}

TEST(ByteQueueTest, ACancelEndsTheWaitingReadOrElseTheNextOne) {
  ByteQueue q;
  std::size_t n = 0;
  std::uint8_t out[4];
  q.Cancel();  // before anybody waits: the next Read returns at once
  EXPECT_EQ(q.Read(out, 4, n, 10000), HandleResult::kNothingRead);
  HandleResult result = HandleResult::kOk;
  std::atomic<pid_t> readerId{0};
  std::thread reader([&] {
    readerId = test::CurrentThreadId();
    result = q.Read(out, 4, n, 10000);
  });
  EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadIsAsleep(readerId.load()); }));
  q.Cancel();
  reader.join();
  EXPECT_EQ(result, HandleResult::kNothingRead);
  // Used up: later reads wait again (and see bytes).
  const std::uint8_t a[] = {7};
  q.Append(a, 1);
  EXPECT_EQ(q.Read(out, 4, n, 10), HandleResult::kOk);
  EXPECT_EQ(n, 1u);
}

}  // namespace
}  // namespace vel
