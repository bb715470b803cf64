#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "ant/usb_device_handle.h"

namespace vel {

// The bytes a handle's reader thread has received and the transport has not
// yet read, with the handle's device-gone mark. The reader appends and marks;
// Read takes, waiting a bounded time. One lock covers both so that a waiting
// Read sees the loss at once.
class ByteQueue {
 public:
  // Appends one chunk and wakes a waiting Read once.
  void Append(const std::uint8_t* bytes, std::size_t count);
  // The device is gone (or the handle closed): every Read from now on
  // reports it. Marking twice is harmless.
  void MarkGone();
  bool IsGone() const;
  // Makes the Read that is waiting, or else the next one, return at once
  // without bytes; a closing transport uses it to stop without waiting out
  // the time-out.
  void Cancel();

  // kDeviceGone when the device is gone. Otherwise waits up to timeoutMs
  // for bytes and moves up to `maximum` of them out in arrival order (kOk,
  // count set); when none came, or the wait was cancelled, kNothingRead
  // with count 0.
  HandleResult Read(std::uint8_t* out, std::size_t maximum, std::size_t& count,
                    std::uint32_t timeoutMs);

  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable signal_;
  std::deque<std::uint8_t> bytes_;
  bool gone_ = false;
  bool cancelled_ = false;
};

}  // namespace vel
