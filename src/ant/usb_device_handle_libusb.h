#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "ant/libusb_library.h"
#include "ant/queued_device_handle.h"
#include "ant/usb_device.h"

namespace vel {

// A stick claimed through libusb (the kernel's tty driver is detached from
// it first). The reader thread makes synchronous bulk reads on endpoint
// 0x81 with a one-second time-out, so it notices a stop within that second;
// time-outs are normal, ten other errors in a row (without data between)
// end it, and so does the device's disappearance.
class USBDeviceHandleLibusb : public QueuedDeviceHandle {
 public:
  static constexpr unsigned char kEndpointIn = 0x81;
  static constexpr unsigned char kEndpointOut = 0x01;
  static constexpr unsigned kReadTimeoutMs = 1000;
  static constexpr unsigned kWriteTimeoutMs = 3000;
  static constexpr int kErrorsInARow = 10;

  // Opens, claims and wakes the stick; nullptr on any failure (a permission
  // problem is logged with the way to fix it).
  static std::unique_ptr<USBDeviceHandleLibusb> Open(const USBDeviceLibusb& device);
  ~USBDeviceHandleLibusb() override;

  const USBDevice& GetDevice() const override { return device_; }

 private:
  USBDeviceHandleLibusb(const USBDeviceLibusb& device, std::shared_ptr<LibusbLibrary> lib);
  bool Claim();
  void WakeUp();
  void ReaderLoop();
  void Close();
  HandleResult WriteToDevice(const std::uint8_t* bytes, std::size_t count,
                             std::size_t& written) override;

  USBDeviceLibusb device_;
  std::shared_ptr<LibusbLibrary> lib_;
  libusb_context* context_ = nullptr;
  libusb_device_handle* usb_ = nullptr;
  bool claimed_ = false;
  bool reattachKernelDriver_ = false;
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

// What the reader does after one bulk read: its result code and the bytes
// it transferred, given the count of errors in a row so far.
struct LibusbReadStep {
  bool keepBytes;    // append the transferred bytes
  int errorsInARow;  // the new count
  bool stop;         // leave the reader: the device is gone
};
LibusbReadStep NextLibusbReadStep(int result, int transferred, int errorsInARow);

}  // namespace vel
