#pragma once

#include <cstddef>
#include <cstdint>

namespace vel {

class USBDevice;

// What USBDeviceHandle::Write and Read report; every kind of handle (tty,
// libusb, simulated) gives each result the same meaning.
enum class HandleResult {
  kOk,           // Write: every byte written; Read: `count` bytes (at least one) delivered
  kNothingRead,  // Read: no byte within the time-out, or the wait was cancelled
  kDeviceGone,   // the stick is gone, or the handle is closing
  kNoBytes,      // Write: nothing to write
  kWriteFailed,  // Write: the driver did not take every byte
};

// One open ANT stick. A reader thread of the handle moves what the stick
// sends into a byte queue; Read takes from it with a bounded wait and Write
// goes to the driver from the caller's thread. The destructor closes: it
// stops the reader (which always returns within its own time-out) and
// releases the device.
class USBDeviceHandle {
 public:
  virtual ~USBDeviceHandle() = default;

  virtual HandleResult Write(const std::uint8_t* bytes, std::size_t count,
                             std::size_t& written) = 0;
  virtual HandleResult Read(std::uint8_t* buffer, std::size_t maximum, std::size_t& count,
                            std::uint32_t timeoutMs) = 0;
  virtual const USBDevice& GetDevice() const = 0;
  // Makes a Read that waits (or the next one) return at once: kNothingRead
  // unless bytes are queued.
  virtual void CancelRead() = 0;
};

}  // namespace vel
