#pragma once

#include <atomic>
#include <cstdint>

#include "sensors/sensor_event.h"

namespace vel {

// The two graph ids of a decoder that draws two values. The user-interface
// thread moves a graph between sensors while the receive loop reads the
// ids, so they are atomics.
class GraphPair {
 public:
  GraphPair(std::int32_t first, std::int32_t second) : ids_{first, second} {}

  // The id at index 0 or 1; -1 for any other index.
  std::int32_t Get(int index) const { return index == 0 || index == 1 ? ids_[index].load() : -1; }
  // Stores a new id at index 0 or 1 (other indexes: nothing). Taking a graph
  // away (-1) first retracts the value it showed, with the id it had.
  void Set(int index, std::int32_t id, int uiid, int deviceType, EventHeader header);

 private:
  std::atomic<std::int32_t> ids_[2];
};

}  // namespace vel
