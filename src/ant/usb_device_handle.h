#pragma once

#include <cstddef>
#include <cstdint>

namespace vel {

class USBDevice;

// Result codes of USBDeviceHandle::Write and Read.
namespace usb_result {
inline constexpr int kOk = 0;           // written / bytes delivered
inline constexpr int kDeviceGone = 1;   // the stick is gone (or the handle closed)
inline constexpr int kNoBytes = 2;      // Write: nothing to write
inline constexpr int kWriteFailed = 3;  // Write: the driver did not take every byte
inline constexpr int kNothingRead = 4;  // Read: nothing within the time-out (tty, simulated)
}  // namespace usb_result

// One open ANT stick. A reader thread of the handle moves what the stick
// sends into a byte queue; Read takes from it with a bounded wait and Write
// goes to the driver from the caller's thread. The destructor closes: it
// stops the reader (which always returns within its own time-out) and
// releases the device.
class USBDeviceHandle {
 public:
  virtual ~USBDeviceHandle() = default;

  virtual int Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) = 0;
  virtual int Read(std::uint8_t* buffer, std::size_t maximum, std::size_t& count,
                   std::uint32_t timeoutMs) = 0;
  virtual const USBDevice& GetDevice() const = 0;
  // Makes a Read that waits (or the next one) return at once without bytes.
  virtual void CancelRead() = 0;
};

}  // namespace vel
