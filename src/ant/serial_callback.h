#pragma once

#include <cstddef>
#include <cstdint>

namespace vel {

// Receiver of what the serial transport reads: every byte in order, from
// the transport's receive thread, and its errors.
class DSISerialCallback {
 public:
  virtual ~DSISerialCallback() = default;
  virtual void OnByte(std::uint8_t byte) = 0;
  // What one read brought, in order; the framer takes it in one go.
  virtual void OnBytes(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) OnByte(bytes[i]);
  }
  // Codes: 1 device gone while reading, 2 write failed, 3 read failed,
  // 4 received frame with a bad checksum (set by the framer itself).
  virtual void OnSerialError(std::uint8_t code) = 0;
};

namespace serial_error {
inline constexpr std::uint8_t kDeviceGone = 1;
inline constexpr std::uint8_t kWriteFailed = 2;
inline constexpr std::uint8_t kReadFailed = 3;
inline constexpr std::uint8_t kBadChecksum = 4;
}  // namespace serial_error

}  // namespace vel
