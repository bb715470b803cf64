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
  EXPECT_EQ(q.Read(out, 4, n, 0, usb_result::kNothingRead), usb_result::kOk);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(out[3], 4);
  EXPECT_EQ(q.Read(out, 4, n, 0, usb_result::kNothingRead), usb_result::kOk);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(q.Read(out, 4, n, 5, usb_result::kNothingRead), usb_result::kNothingRead);
  EXPECT_EQ(n, 0u);
  // The libusb handle reports an empty wait as 0 with no bytes.
  EXPECT_EQ(q.Read(out, 4, n, 0, usb_result::kOk), usb_result::kOk);
  EXPECT_EQ(n, 0u);
}

TEST(ByteQueueTest, GoneWinsOverQueuedBytesAndWakesAWaitingRead) {
  ByteQueue q;
  std::size_t n = 0;
  std::uint8_t out[4];
  int result = -1;
  std::atomic<pid_t> readerId{0};
  std::thread reader([&] {
    readerId = test::CurrentThreadId();
    result = q.Read(out, 4, n, 10000, usb_result::kNothingRead);
  });
  // Mark the loss once the reader waits, so that it is the wait that ends.
  EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadIsAsleep(readerId.load()); }));
  q.MarkGone();
  reader.join();
  EXPECT_EQ(result, usb_result::kDeviceGone);
  const std::uint8_t a[] = {1};
  q.Append(a, 1);
  EXPECT_EQ(q.Read(out, 4, n, 0, usb_result::kNothingRead), usb_result::kDeviceGone);
}

TEST(ByteQueueTest, ACancelEndsTheWaitingReadOrElseTheNextOne) {
  ByteQueue q;
  std::size_t n = 0;
  std::uint8_t out[4];
  q.Cancel();  // before anybody waits: the next Read returns at once
  EXPECT_EQ(q.Read(out, 4, n, 10000, usb_result::kNothingRead), usb_result::kNothingRead);
  int result = -1;
  std::atomic<pid_t> readerId{0};
  std::thread reader([&] {
    readerId = test::CurrentThreadId();
    result = q.Read(out, 4, n, 10000, usb_result::kNothingRead);
  });
  EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadIsAsleep(readerId.load()); }));
  q.Cancel();
  reader.join();
  EXPECT_EQ(result, usb_result::kNothingRead);
  // Used up: later reads wait again (and see bytes).
  const std::uint8_t a[] = {7};
  q.Append(a, 1);
  EXPECT_EQ(q.Read(out, 4, n, 10, usb_result::kNothingRead), usb_result::kOk);
  EXPECT_EQ(n, 1u);
}

}  // namespace
}  // namespace vel
