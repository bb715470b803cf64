#pragma once

#include <cstddef>
#include <cstdint>

#include "ant/byte_queue.h"
#include "ant/usb_device_handle.h"

namespace vel {

// What the handles of real and simulated sticks share: their reader thread
// (or the simulated stick) fills the byte queue that Read takes from, and
// every write passes the same checks before it reaches the device.
class QueuedDeviceHandle : public USBDeviceHandle {
 public:
  // kDeviceGone once the device is gone or the handle closes, kNoBytes for
  // an empty write; otherwise what WriteToDevice reports.
  HandleResult Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) final;
  HandleResult Read(std::uint8_t* buffer, std::size_t maximum, std::size_t& count,
                    std::uint32_t timeoutMs) final;
  void CancelRead() final { queue_.Cancel(); }

 protected:
  // Writes `count` (at least one) bytes to the device, counting in
  // `written` (0 on entry) what it took: kOk or kWriteFailed. A driver
  // that says the device is gone marks the queue so.
  virtual HandleResult WriteToDevice(const std::uint8_t* bytes, std::size_t count,
                                     std::size_t& written) = 0;

  ByteQueue queue_;
};

}  // namespace vel
