#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace vel {

// Unbounded first-in-first-out queue of texts that any thread may fill and
// one consumer drains without blocking.
class StringQueue {
 public:
  void Push(std::string text);
  bool TryPop(std::string& out);
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::string> items_;
};

}  // namespace vel
