#include "ant/byte_queue.h"

#include <algorithm>
#include <chrono>

namespace vel {

void ByteQueue::Append(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return;
  {
    std::lock_guard lock(mutex_);
    bytes_.insert(bytes_.end(), bytes, bytes + count);
  }
  signal_.notify_one();
}

void ByteQueue::MarkGone() {
  {
    std::lock_guard lock(mutex_);
    gone_ = true;
  }
  signal_.notify_all();
}

bool ByteQueue::IsGone() const {
  std::lock_guard lock(mutex_);
  return gone_;
}

void ByteQueue::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  signal_.notify_all();
}

HandleResult ByteQueue::Read(std::uint8_t* out, std::size_t maximum, std::size_t& count,
                             std::uint32_t timeoutMs) {
  count = 0;
  std::unique_lock lock(mutex_);
  if (gone_) return HandleResult::kDeviceGone;
  if (bytes_.empty() && timeoutMs > 0 && !cancelled_) {
    signal_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                     [this] { return gone_ || cancelled_ || !bytes_.empty(); });
  }
  cancelled_ = false;
  if (gone_) return HandleResult::kDeviceGone;
  if (bytes_.empty() || maximum == 0) return HandleResult::kNothingRead;
  count = std::min(maximum, bytes_.size());
  std::copy_n(bytes_.begin(), count, out);
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
  return HandleResult::kOk;
}

std::size_t ByteQueue::Size() const {
  std::lock_guard lock(mutex_);
  return bytes_.size();
}

}  // namespace vel
