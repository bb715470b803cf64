#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "ant/queued_device_handle.h"
#include "ant/usb_device.h"

namespace vel {

// A stick behind the kernel's tty driver: raw mode, 8N1 with RTS/CTS at the
// given baud rate. The reader thread polls the tty in short slices so that
// it notices a stop quickly, and marks the device gone on hang-up, a read
// error or the device node vanishing.
class USBDeviceHandleSI : public QueuedDeviceHandle {
 public:
  static constexpr int kPollSliceMs = 100;
  static constexpr int kWriteTimeoutMs = 3000;
  static constexpr int kPresenceCheckMs = 1000;

  // nullptr when the tty cannot be opened or set up; a permission problem
  // is logged with the way to fix it.
  static std::unique_ptr<USBDeviceHandleSI> Open(const USBDeviceSI& device, std::uint32_t baudRate);
  ~USBDeviceHandleSI() override;

  const USBDevice& GetDevice() const override { return device_; }

 private:
  USBDeviceHandleSI(const USBDeviceSI& device, int fd);
  void ReaderLoop();
  void Close();
  HandleResult WriteToDevice(const std::uint8_t* bytes, std::size_t count,
                             std::size_t& written) override;

  USBDeviceSI device_;
  int fd_;
  std::mutex writeMutex_;  // keeps concurrent frames whole on a non-blocking tty
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

// The termios speed constant for a baud rate; 0 when the tty has none.
unsigned BaudConstant(std::uint32_t baudRate);

}  // namespace vel
