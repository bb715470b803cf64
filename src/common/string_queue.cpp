#include "common/string_queue.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace vel {
namespace {

// Popped texts are cut from the front of the buffer once they make up
// half of it, so a queue that is never quite empty does not keep growing.
constexpr std::size_t kCompactAfter = 64 * 1024;

}  // namespace

void StringQueue::Push(std::string_view text) {
  std::lock_guard lock(mutex_);
  Append(text);
}

void StringQueue::PushAll(const std::string_view* texts, std::size_t count) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < count; ++i) Append(texts[i]);
}

void StringQueue::Append(std::string_view text) {
  const auto length = static_cast<std::uint32_t>(
      std::min<std::size_t>(text.size(), std::numeric_limits<std::uint32_t>::max()));
  bytes_.append(reinterpret_cast<const char*>(&length), sizeof length);
  bytes_.append(text.data(), length);
  ++count_;
}

bool StringQueue::TryPop(std::string& out) {
  std::lock_guard lock(mutex_);
  if (count_ == 0) return false;
  std::uint32_t length = 0;
  std::memcpy(&length, bytes_.data() + head_, sizeof length);
  out.assign(bytes_.data() + head_ + sizeof length, length);
  head_ += sizeof length + length;
  --count_;
  if (count_ == 0) {
    bytes_.clear();
    head_ = 0;
  } else if (head_ >= kCompactAfter && head_ * 2 >= bytes_.size()) {
    bytes_.erase(0, head_);
    head_ = 0;
  }
  return true;
}

void StringQueue::TakeAll(StringBatch& batch) {
  batch.bytes_.clear();
  std::lock_guard lock(mutex_);
  if (head_ != 0) bytes_.erase(0, head_);
  std::swap(bytes_, batch.bytes_);
  head_ = 0;
  count_ = 0;
}

std::size_t StringQueue::Size() const {
  std::lock_guard lock(mutex_);
  return count_;
}

}  // namespace vel
