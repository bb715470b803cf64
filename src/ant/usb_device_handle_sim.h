#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "ant/queued_device_handle.h"
#include "ant/sim/simulated_stick.h"
#include "ant/usb_device.h"

namespace vel {

// A handle on a stick of the simulated room. What the stick sends lands in
// the byte queue; on real time the reader thread pumps the stick at the
// moments its channels fall due, on a manual clock the thread that moves
// the clock does. Pulling the stick out marks the device gone at once.
class USBDeviceHandleSim : public QueuedDeviceHandle, private sim::StickSink {
 public:
  static constexpr std::uint32_t kLongestNapMs = 50;

  // nullptr when the stick is pulled out or already open.
  static std::unique_ptr<USBDeviceHandleSim> Open(const USBDeviceSim& device);
  ~USBDeviceHandleSim() override;

  const USBDevice& GetDevice() const override { return device_; }

 private:
  explicit USBDeviceHandleSim(const USBDeviceSim& device);
  void OnStickBytes(const std::uint8_t* bytes, std::size_t count) override;
  void OnStickGone() override;
  void ReaderLoop();
  HandleResult WriteToDevice(const std::uint8_t* bytes, std::size_t count,
                             std::size_t& written) override;

  USBDeviceSim device_;
  sim::SimulatedStick& stick_;
  std::mutex readerMutex_;
  std::condition_variable readerSignal_;
  bool stop_ = false;  // under readerMutex_
  std::thread reader_;
};

}  // namespace vel
