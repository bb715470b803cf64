#include "common/string_queue.h"

#include <utility>

namespace vel {

void StringQueue::Push(std::string text) {
  std::lock_guard lock(mutex_);
  items_.push_back(std::move(text));
}

bool StringQueue::TryPop(std::string& out) {
  std::lock_guard lock(mutex_);
  if (items_.empty()) return false;
  out = std::move(items_.front());
  items_.pop_front();
  return true;
}

std::size_t StringQueue::Size() const {
  std::lock_guard lock(mutex_);
  return items_.size();
}

}  // namespace vel
