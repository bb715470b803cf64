#include "ant/usb_device_handle_si.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ant/serial_generic.h"
#include "support/queue_capture.h"
#include "support/scratch_folder.h"
#include "support/wait_until.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// The stick's side of a pseudo-terminal: the handle opens the slave path,
// the test plays the stick on the master.
class PtyPeer {
 public:
  PtyPeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
  }
  ~PtyPeer() { HangUp(); }
  bool Ok() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  int Fd() const { return master_; }

  void Send(const Bytes& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the handle wrote, waiting (within the test's wait bound) for `count` bytes.
  Bytes Receive(std::size_t count) {
    Bytes out;
    const auto end = std::chrono::steady_clock::now() + test::kWaitBound;
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      std::uint8_t buf[256];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n > 0) out.insert(out.end(), buf, buf + n);
    }
    return out;
  }
  void HangUp() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string path_;
};

std::unique_ptr<USBDeviceHandleSI> OpenTty(const std::string& path) {
  return USBDeviceHandleSI::Open(USBDeviceSI(path, UsbIdentity{}), 57600);
}

// Reads from the handle until `count` bytes came or a read reports anything but data.
Bytes ReadBytes(USBDeviceHandle& handle, std::size_t count, HandleResult* last = nullptr) {
  Bytes out;
  for (int i = 0; i < 50 && out.size() < count; ++i) {
    std::uint8_t buf[255];
    std::size_t n = 0;
    const HandleResult r = handle.Read(buf, sizeof buf, n, 100);
    if (last != nullptr) *last = r;
    if (r != HandleResult::kOk && r != HandleResult::kNothingRead) break;
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

TEST(UsbDeviceHandleSITest, SetsRawRtsCts8N1At57600AndPassesEveryByteBothWays) {
  PtyPeer peer;
  ASSERT_TRUE(peer.Ok());
  auto handle = OpenTty(peer.Path());
  ASSERT_TRUE(handle);

  termios tio{};
  ASSERT_EQ(tcgetattr(peer.Fd(), &tio), 0);  // the master reports the slave's settings
  EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B57600));
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);

  // Bytes a cooked tty would eat or change: CR, LF, ^C, XON/XOFF, DEL, 0xFF.
  const Bytes tricky{0xA4, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0x7F, 0x00, 0xFF, 0x04, 0x1A};
  peer.Send(tricky);
  EXPECT_EQ(ReadBytes(*handle, tricky.size()), tricky);

  std::size_t written = 0;
  EXPECT_EQ(handle->Write(tricky.data(), tricky.size(), written), HandleResult::kOk);
  EXPECT_EQ(written, tricky.size());
  EXPECT_EQ(peer.Receive(tricky.size()), tricky);
  EXPECT_EQ(handle->Write(tricky.data(), 0, written), HandleResult::kNoBytes);

  std::uint8_t buf[8];
  std::size_t n = 99;
  EXPECT_EQ(handle->Read(buf, sizeof buf, n, 10), HandleResult::kNothingRead);
  EXPECT_EQ(n, 0u);
}

TEST(UsbDeviceHandleSITest, AHangUpIsReportedAsDeviceGoneByReadAndWrite) {
  PtyPeer peer;
  ASSERT_TRUE(peer.Ok());
  auto handle = OpenTty(peer.Path());
  ASSERT_TRUE(handle);
  peer.Send({1, 2, 3});
  EXPECT_EQ(ReadBytes(*handle, 3), (Bytes{1, 2, 3}));
  peer.HangUp();
  HandleResult last = HandleResult::kOk;
  ReadBytes(*handle, 1000, &last);
  EXPECT_EQ(last, HandleResult::kDeviceGone);
  const std::uint8_t frame[] = {0xA4, 0x01, 0x4A, 0x00, 0xEF};
  std::size_t written = 0;
  EXPECT_EQ(handle->Write(frame, sizeof frame, written), HandleResult::kDeviceGone);
}

TEST(UsbDeviceHandleSITest, OpenFailsForAMissingPathAFileThatIsNoTtyAndAnOddBaudRate) {
  EXPECT_FALSE(OpenTty("/nonexistent/ttyUSB9"));
  const test::ScratchFolder scratch;
  const auto file = scratch / "notty";
  { std::ofstream(file) << "x"; }
  EXPECT_FALSE(OpenTty(file.string()));
  PtyPeer peer;
  ASSERT_TRUE(peer.Ok());
  EXPECT_FALSE(USBDeviceHandleSI::Open(USBDeviceSI(peer.Path(), UsbIdentity{}), 12345));
}

TEST(UsbDeviceHandleSITest, AStickWithoutPermissionLogsHowToFixIt) {
  if (geteuid() == 0) GTEST_SKIP() << "root may open anything";
  test::QueueCapture queues;
  const test::ScratchFolder scratch;
  const auto file = scratch / "noperm";
  { std::ofstream(file) << "x"; }
  chmod(file.c_str(), 0);
  EXPECT_FALSE(OpenTty(file.string()));
  const auto lines = queues.LogTexts();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0], HasSubstr("permission denied"));
  EXPECT_THAT(lines[0], HasSubstr("udev"));
}

// The whole transport on a tty: the stick streams, Close comes in the
// middle of it, and nothing reaches the framer afterwards.
class CountingCallback : public DSISerialCallback {
 public:
  void OnByte(std::uint8_t) override {
    ++bytes;
    if (closed.load()) ++late;
  }
  void OnSerialError(std::uint8_t code) override { lastError = code; }
  std::atomic<int> bytes{0};
  std::atomic<int> late{0};
  std::atomic<bool> closed{false};
  std::atomic<int> lastError{0};
};

TEST(UsbDeviceHandleSITest, TransportCloseWhileTheStickStreamsEndsWithinItsBound) {
  PtyPeer peer;
  ASSERT_TRUE(peer.Ok());
  DiscoverySettings settings;
  settings.sysfsRoot = "/nonexistent";
  settings.libusbLibrary = "libvel-no-such-libusb.so.0";
  settings.extraTtys = {peer.Path()};
  DSISerialGeneric serial(settings);
  CountingCallback callback;
  serial.SetCallback(&callback);
  serial.Init(57600, 0);
  ASSERT_TRUE(serial.Open());

  std::atomic<bool> stop{false};
  std::thread stick([&] {
    const Bytes chunk(64, 0x4E);
    while (!stop.load()) {
      if (::write(peer.Fd(), chunk.data(), chunk.size()) >= 0) continue;
      if (errno != EAGAIN) break;
      pollfd room{peer.Fd(), POLLOUT, 0};
      poll(&room, 1, 100);  // until the tty takes more
    }
  });
  EXPECT_TRUE(test::WaitUntil([&] { return callback.bytes.load() >= 2000; }));
  const auto start = std::chrono::steady_clock::now();
  serial.Close();
  const auto took = std::chrono::steady_clock::now() - start;
  callback.closed = true;
  // Its receive loop has ended (IsReceiving is the loop's own mark), so no
  // byte can reach the framer from now on.
  EXPECT_FALSE(serial.IsReceiving());
  stop = true;
  stick.join();
  EXPECT_EQ(callback.late.load(), 0);
  EXPECT_EQ(callback.lastError.load(), 0);
  EXPECT_LT(took, 3000ms);
}

TEST(UsbDeviceHandleSITest, TransportReportsAHungUpTtyToTheFramerOnce) {
  PtyPeer peer;
  ASSERT_TRUE(peer.Ok());
  DSISerialGeneric serial([&] {
    USBDeviceList<USBDevice> list;
    list.Add(std::make_shared<USBDeviceSI>(peer.Path(), UsbIdentity{}));
    return list;
  });
  CountingCallback callback;
  serial.SetCallback(&callback);
  serial.Init(57600, 0);
  ASSERT_TRUE(serial.Open());
  peer.HangUp();
  EXPECT_TRUE(test::WaitUntil([&] { return !serial.IsReceiving(); }));
  EXPECT_EQ(callback.lastError.load(), serial_error::kDeviceGone);
}

}  // namespace
}  // namespace vel
