#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace vel {

// Numbered slots that each hold one value or nothing, as a rider graph's
// series: a new value takes the lowest empty slot (or a new one at the
// end), its number stays its index until it is removed, and the table never
// shrinks.
template <typename T>
class SlotTable {
 public:
  int Add(T value) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      if (!slots_[i]) {
        slots_[i].emplace(std::move(value));
        return static_cast<int>(i);
      }
    }
    slots_.emplace_back(std::move(value));
    return static_cast<int>(slots_.size() - 1);
  }
  // False when the slot holds nothing.
  bool Remove(int index) {
    T* value = Find(index);
    if (value == nullptr) return false;
    slots_[static_cast<std::size_t>(index)].reset();
    return true;
  }
  T* Find(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) return nullptr;
    auto& slot = slots_[static_cast<std::size_t>(index)];
    return slot ? &*slot : nullptr;
  }
  const T* Find(int index) const { return const_cast<SlotTable*>(this)->Find(index); }
  // Slots, empty ones included.
  std::size_t Size() const { return slots_.size(); }

 private:
  std::vector<std::optional<T>> slots_;
};

}  // namespace vel
