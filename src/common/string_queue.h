#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

namespace vel {

// Texts taken from a StringQueue in one go, laid end to end. Reusing one
// batch across drains reuses its memory.
class StringBatch {
 public:
  bool Empty() const { return bytes_.empty(); }

  // Calls visit(std::string_view) for each text, oldest first.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (std::size_t at = 0; at < bytes_.size();) {
      std::uint32_t length = 0;
      std::memcpy(&length, bytes_.data() + at, sizeof length);
      at += sizeof length;
      visit(std::string_view(bytes_.data() + at, length));
      at += length;
    }
  }

 private:
  friend class StringQueue;
  std::string bytes_;
};

// Unbounded first-in-first-out queue of texts that any thread may fill and
// one consumer drains without blocking. The texts are kept end to end in
// one buffer whose memory is kept, so a push costs no allocation once the
// queue has held its usual backlog.
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
  std::string bytes_;     // per text: its length (4 bytes), then its bytes
  std::size_t head_ = 0;  // first byte not yet popped
  std::size_t count_ = 0;

  void Append(std::string_view text);  // under mutex_
};

}  // namespace vel
