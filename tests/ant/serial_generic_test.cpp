#include "ant/serial_generic.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "ant/byte_queue.h"
#include "support/wait_until.h"

namespace vel {
namespace {

using ::testing::ElementsAre;

// A handle whose Read results are scripted; once the script is used up it
// streams `streamByte` (when set) or reports nothing, like a quiet stick.
class ScriptedHandle : public USBDeviceHandle {
 public:
  struct Step {
    HandleResult result;
    std::vector<std::uint8_t> bytes;
  };

  // What a test learns of the handle, kept outside it: Close destroys it.
  struct Watch {
    std::atomic<int> cancels{0};
    std::atomic<int> waitingReads{0};  // quiet Reads in their wait now
    std::atomic<int> cancelsOfAWaitingRead{0};
    std::atomic<bool> destroyed{false};
  };

  explicit ScriptedHandle(const USBDevice& device) : device_(device.Clone()) {}
  ~ScriptedHandle() override {
    if (watch != nullptr) watch->destroyed = true;
  }

  HandleResult Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
    std::lock_guard lock(mutex_);
    written = count;
    writes.emplace_back(bytes, bytes + count);
    return writeResult;
  }
  HandleResult Read(std::uint8_t* buffer, std::size_t maximum, std::size_t& count,
                    std::uint32_t timeoutMs) override {
    count = 0;
    {
      std::lock_guard lock(mutex_);
      if (!script.empty()) {
        Step step = script.front();
        script.pop_front();
        count = std::min(maximum, step.bytes.size());
        std::copy_n(step.bytes.begin(), count, buffer);
        return step.result;
      }
    }
    if (stream.load()) {
      count = std::min<std::size_t>(maximum, 16);
      std::fill_n(buffer, count, std::uint8_t{0x55});
      return HandleResult::kOk;
    }
    // A quiet stick: wait out the time-out unless cancelled; a stick
    // that waits until cancelled still gives up at the test's wait bound.
    std::size_t none = 0;
    std::uint8_t dummy;
    const auto wait =
        waitsUntilCancelled ? static_cast<std::uint32_t>(test::kWaitBound.count()) : timeoutMs;
    if (watch != nullptr) ++watch->waitingReads;
    quiet_.Read(&dummy, 1, none, wait);
    if (watch != nullptr) --watch->waitingReads;
    return HandleResult::kNothingRead;
  }
  const USBDevice& GetDevice() const override { return *device_; }
  void CancelRead() override {
    if (watch != nullptr) {
      ++watch->cancels;
      if (watch->waitingReads.load() > 0) ++watch->cancelsOfAWaitingRead;
    }
    quiet_.Cancel();
  }

  std::mutex mutex_;
  std::deque<Step> script;
  std::vector<std::vector<std::uint8_t>> writes;
  HandleResult writeResult = HandleResult::kOk;
  std::atomic<bool> stream{false};
  bool waitsUntilCancelled = false;
  Watch* watch = nullptr;  // outlives the handle
  std::uint32_t baud = 0;

 private:
  std::unique_ptr<USBDevice> device_;
  ByteQueue quiet_;
};

// A stick record that opens the scripted handle it was given (once).
class FakeDevice : public USBDevice {
 public:
  FakeDevice(std::uint32_t serial, std::shared_ptr<ScriptedHandle*> opened)
      : serial_(serial), opened_(std::move(opened)) {}
  std::uint16_t GetVid() const override { return 0x0FCF; }
  std::uint16_t GetPid() const override { return 0x1008; }
  std::uint32_t GetSerialNumber() const override { return serial_; }
  bool GetProductDescription(char* b, std::size_t n) const override {
    return n > 0 && std::snprintf(b, n, "stick %u", serial_) >= 0;
  }
  bool GetSerialString(char* b, std::size_t n) const override {
    return n > 0 && std::snprintf(b, n, "%u", serial_) >= 0;
  }
  int GetDeviceType() const override { return usb_device_type::kSerial; }
  std::unique_ptr<USBDevice> Clone() const override { return std::make_unique<FakeDevice>(*this); }
  std::unique_ptr<USBDeviceHandle> OpenHandle(std::uint32_t baud) const override {
    if (failOpen) return nullptr;
    auto handle = std::make_unique<ScriptedHandle>(*this);
    handle->baud = baud;
    if (prepare) prepare(*handle);
    *opened_ = handle.get();
    return handle;
  }
  std::string Describe() const override { return "fake"; }
  std::string Key() const override { return "fake:" + std::to_string(serial_); }

  bool failOpen = false;
  std::function<void(ScriptedHandle&)> prepare;

 private:
  std::uint32_t serial_;
  std::shared_ptr<ScriptedHandle*> opened_;
};

// Records what the transport hands the framer, and whether any byte came
// after the test said the transport was closed.
class RecordingCallback : public DSISerialCallback {
 public:
  void OnByte(std::uint8_t byte) override {
    if (closed.load()) lateBytes++;
    std::lock_guard lock(mutex);
    bytes.push_back(byte);
  }
  void OnSerialError(std::uint8_t code) override {
    std::lock_guard lock(mutex);
    errors.push_back(code);
  }
  std::vector<std::uint8_t> Errors() {
    std::lock_guard lock(mutex);
    return errors;
  }
  std::vector<std::uint8_t> Bytes() {
    std::lock_guard lock(mutex);
    return bytes;
  }

  std::mutex mutex;
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> errors;
  std::atomic<bool> closed{false};
  std::atomic<int> lateBytes{0};
};

class SerialGenericTest : public ::testing::Test {
 protected:
  SerialGenericTest() {
    devices.Add(std::make_shared<FakeDevice>(11, opened));
    devices.Add(std::make_shared<FakeDevice>(22, opened));
  }
  FakeDevice& Device(std::size_t i) { return static_cast<FakeDevice&>(*devices[i]); }
  DSISerialGeneric MakeTransport() {
    return DSISerialGeneric([this] {
      ++enumerations;
      return devices;
    });
  }

  std::shared_ptr<ScriptedHandle*> opened = std::make_shared<ScriptedHandle*>(nullptr);
  USBDeviceList<USBDevice> devices;
  int enumerations = 0;
  RecordingCallback callback;
};

TEST_F(SerialGenericTest, OpensThePortItWasGivenWithAFreshListAndItsBaudRate) {
  DSISerialGeneric serial = MakeTransport();
  EXPECT_EQ(serial.GetPort(), DSISerial::kNoPort);
  serial.SetCallback(&callback);
  ASSERT_TRUE(serial.Init(57600, 1));
  ASSERT_TRUE(serial.Open());
  EXPECT_EQ(serial.GetDeviceSerialNumber(), 22u);
  EXPECT_EQ((*opened)->baud, 57600u);
  ASSERT_TRUE(serial.Open());  // Open closes first and may be repeated
  EXPECT_EQ(enumerations, 2);
  std::uint16_t vid = 0;
  EXPECT_TRUE(serial.GetDeviceVid(vid));
  EXPECT_EQ(vid, 0x0FCF);

  char product[16];
  char number[16];
  ASSERT_TRUE(serial.GetDeviceUsbInfo(0, product, number, sizeof product));
  EXPECT_STREQ(product, "stick 11");
  EXPECT_FALSE(serial.GetDeviceUsbInfo(2, product, number, sizeof product));
}

TEST_F(SerialGenericTest, OpenFailsWithNothingStartedPastTheListWithoutCallbackOrHandle) {
  DSISerialGeneric serial = MakeTransport();
  serial.Init(57600, 2);
  EXPECT_FALSE(serial.Open());  // no callback
  serial.SetCallback(&callback);
  EXPECT_FALSE(serial.Open());  // port 2 of two sticks
  EXPECT_FALSE(serial.IsReceiving());
  EXPECT_EQ(*opened, nullptr);
  const std::uint8_t frame[] = {0xA4, 0x01, 0x4A, 0x00, 0xEF, 0, 0};
  EXPECT_FALSE(serial.WriteBytes(frame, sizeof frame));

  Device(0).failOpen = true;
  serial.Init(57600, 0);
  EXPECT_FALSE(serial.Open());
  EXPECT_FALSE(serial.IsReceiving());
  EXPECT_EQ(serial.GetDeviceSerialNumber(), 0u);
  EXPECT_TRUE(callback.Errors().empty());
}

TEST_F(SerialGenericTest, DeliversBytesInOrderAndKeepsReadingThroughQuietSpells) {
  Device(0).prepare = [](ScriptedHandle& h) {
    h.script = {{HandleResult::kOk, {1, 2, 3}},
                {HandleResult::kNothingRead, {}},
                {HandleResult::kOk, {}},
                {HandleResult::kOk, {4}}};
  };
  DSISerialGeneric serial = MakeTransport();
  serial.SetCallback(&callback);
  serial.Init(57600, 0);
  ASSERT_TRUE(serial.Open());
  ASSERT_TRUE(test::WaitUntil([&] { return callback.Bytes().size() == 4; }));
  EXPECT_THAT(callback.Bytes(), ElementsAre(1, 2, 3, 4));
  EXPECT_TRUE(serial.IsReceiving());
  serial.Close();
  EXPECT_FALSE(serial.IsReceiving());
  EXPECT_TRUE(callback.Errors().empty());
}

TEST_F(SerialGenericTest, DeviceGoneAndReadFailuresEndTheThreadAfterOneReport) {
  struct Case {
    HandleResult result;
    std::uint8_t reported;
  };
  for (const Case c : {Case{HandleResult::kDeviceGone, serial_error::kDeviceGone},
                       Case{HandleResult::kNoBytes, serial_error::kReadFailed},
                       Case{HandleResult::kWriteFailed, serial_error::kReadFailed}}) {
    RecordingCallback cb;
    Device(0).prepare = [c](ScriptedHandle& h) {
      h.script = {{HandleResult::kOk, {9}}, {c.result, {}}, {HandleResult::kOk, {10}}};
    };
    DSISerialGeneric serial = MakeTransport();
    serial.SetCallback(&cb);
    serial.Init(57600, 0);
    ASSERT_TRUE(serial.Open());
    ASSERT_TRUE(test::WaitUntil([&] { return !serial.IsReceiving(); }))
        << static_cast<int>(c.result);
    EXPECT_THAT(cb.Errors(), ElementsAre(c.reported));
    EXPECT_THAT(cb.Bytes(), ElementsAre(9));  // nothing after the failure
  }
}

TEST_F(SerialGenericTest, AFailedWriteIsReportedToTheFramerAndReturnsFalse) {
  DSISerialGeneric serial = MakeTransport();
  serial.SetCallback(&callback);
  serial.Init(57600, 0);
  ASSERT_TRUE(serial.Open());
  const std::uint8_t frame[] = {0xA4, 0x01, 0x4A, 0x00, 0xEF, 0, 0};
  EXPECT_TRUE(serial.WriteBytes(frame, sizeof frame));
  EXPECT_FALSE(serial.WriteBytes(frame, 0));
  (*opened)->writeResult = HandleResult::kWriteFailed;
  EXPECT_FALSE(serial.WriteBytes(frame, sizeof frame));
  EXPECT_THAT(callback.Errors(), ElementsAre(serial_error::kWriteFailed));
  EXPECT_EQ((*opened)->writes.size(), 2u);
  EXPECT_EQ((*opened)->writes[0], std::vector<std::uint8_t>(frame, frame + sizeof frame));
}

TEST_F(SerialGenericTest, CloseWhileDataFlowsIsPromptAndNothingArrivesAfterIt) {
  ScriptedHandle::Watch watch;
  Device(0).prepare = [&watch](ScriptedHandle& h) {
    h.stream = true;
    h.watch = &watch;
  };
  DSISerialGeneric serial = MakeTransport();
  serial.SetCallback(&callback);
  serial.Init(57600, 0);
  ASSERT_TRUE(serial.Open());
  ASSERT_TRUE(test::WaitUntil([&] { return callback.Bytes().size() > 1000; }));
  serial.Close();
  callback.closed = true;
  // The receive thread holds the handle for as long as it runs: with the
  // handle gone, no byte can come any more.
  EXPECT_TRUE(watch.destroyed.load());
  EXPECT_EQ(callback.lateBytes.load(), 0);
  EXPECT_FALSE(serial.IsReceiving());
  EXPECT_TRUE(callback.Errors().empty());  // an asked-for stop is not a loss
}

TEST_F(SerialGenericTest, CloseOfAQuietStickCancelsTheWaitingRead) {
  ScriptedHandle::Watch watch;
  Device(0).prepare = [&watch](ScriptedHandle& h) {
    h.watch = &watch;
    h.waitsUntilCancelled = true;
  };
  DSISerialGeneric serial = MakeTransport();
  serial.SetCallback(&callback);
  serial.Init(57600, 0);
  ASSERT_TRUE(serial.Open());
  ASSERT_TRUE(test::WaitUntil([&] { return watch.waitingReads.load() == 1; }));
  serial.Close();
  // The Read ends only when cancelled: Close cancelled it while it waited
  // instead of waiting it out.
  EXPECT_EQ(watch.cancels.load(), 1);
  EXPECT_EQ(watch.cancelsOfAWaitingRead.load(), 1);
  EXPECT_EQ(watch.waitingReads.load(), 0);
  EXPECT_TRUE(watch.destroyed.load());
}

}  // namespace
}  // namespace vel
