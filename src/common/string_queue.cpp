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

void StringBatch::Append(std::string_view text) {
  const auto length = static_cast<std::uint32_t>(
      std::min<std::size_t>(text.size(), std::numeric_limits<std::uint32_t>::max()));
  const std::size_t needed = used_ + sizeof length + length;
  if (needed > bytes_.size()) bytes_.resize(std::max(needed, 2 * bytes_.size()));
  std::memcpy(bytes_.data() + used_, &length, sizeof length);
  std::memcpy(bytes_.data() + used_ + sizeof length, text.data(), length);
  used_ = needed;
}

void StringQueue::Push(std::string_view text) {
  std::lock_guard lock(mutex_);
  pending_.Append(text);
  ++count_;
}

void StringQueue::PushAll(const std::string_view* texts, std::size_t count) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < count; ++i) pending_.Append(texts[i]);
  count_ += count;
}

bool StringQueue::TryPop(std::string& out) {
  std::lock_guard lock(mutex_);
  if (count_ == 0) return false;
  const char* at = pending_.bytes_.data() + head_;
  std::uint32_t length = 0;
  std::memcpy(&length, at, sizeof length);
  out.assign(at + sizeof length, length);
  head_ += sizeof length + length;
  --count_;
  if (count_ == 0) {
    pending_.Clear();
    head_ = 0;
  } else if (head_ >= kCompactAfter && head_ * 2 >= pending_.used_) {
    std::memmove(pending_.bytes_.data(), pending_.bytes_.data() + head_, pending_.used_ - head_);
    pending_.used_ -= head_;
    head_ = 0;
  }
  return true;
}

void StringQueue::TakeAll(StringBatch& batch) {
  batch.Clear();
  std::lock_guard lock(mutex_);
  if (head_ != 0) {
    std::memmove(pending_.bytes_.data(), pending_.bytes_.data() + head_, pending_.used_ - head_);
    pending_.used_ -= head_;
    head_ = 0;
  }
  std::swap(pending_, batch);
  count_ = 0;
}

std::size_t StringQueue::Size() const {
  std::lock_guard lock(mutex_);
  return count_;
}

}  // namespace vel
