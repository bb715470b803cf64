#include "ant/queued_device_handle.h"

namespace vel {

HandleResult QueuedDeviceHandle::Write(const std::uint8_t* bytes, std::size_t count,
                                       std::size_t& written) {
  written = 0;
  if (queue_.IsGone()) return HandleResult::kDeviceGone;
  if (bytes == nullptr || count == 0) return HandleResult::kNoBytes;
  return WriteToDevice(bytes, count, written);
}

HandleResult QueuedDeviceHandle::Read(std::uint8_t* buffer, std::size_t maximum, std::size_t& count,
                                      std::uint32_t timeoutMs) {
  return queue_.Read(buffer, maximum, count, timeoutMs);
}

}  // namespace vel
