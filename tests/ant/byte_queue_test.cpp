#include "ant/byte_queue.h"

#include <gtest/gtest.h>

#include <thread>

#include "ant/usb_device_handle.h"

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
  std::thread reader([&] { result = q.Read(out, 4, n, 10000, usb_result::kNothingRead); });
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
  std::thread reader([&] { result = q.Read(out, 4, n, 10000, usb_result::kNothingRead); });
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
