#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

// Texts laid end to end, each as its length (4 bytes) and its bytes. The
// memory is kept when the texts are taken, so a buffer that has held its
// usual load appends without allocating.
class StringBatch {
 public:
  bool Empty() const { return used_ == 0; }

  // Calls visit(std::string_view) for each text, oldest first.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (std::size_t at = 0; at < used_;) {
      std::uint32_t length = 0;
      std::memcpy(&length, bytes_.data() + at, sizeof length);
      at += sizeof length;
      visit(std::string_view(bytes_.data() + at, length));
      at += length;
    }
  }

 private:
  friend class StringQueue;
  void Append(std::string_view text);
  void Clear() { used_ = 0; }

  std::vector<char> bytes_;  // its size is the capacity in use
  std::size_t used_ = 0;
};

// Unbounded first-in-first-out queue of texts that any thread may fill and
// one consumer drains without blocking, by one text or all at once.
class StringQueue {
 public:
  void Push(std::string_view text);
  // Queues several texts under one lock, in order.
  void PushAll(const std::string_view* texts, std::size_t count);
  bool TryPop(std::string& out);
  // Moves every queued text into `batch` (what it held is dropped).
  void TakeAll(StringBatch& batch);
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  StringBatch pending_;
  std::size_t head_ = 0;  // first byte not yet popped
  std::size_t count_ = 0;
};

}  // namespace vel
