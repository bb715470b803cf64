#include "app/graph_history.h"

namespace vel {

GraphHistory::GraphHistory(std::uint32_t colour) : colour_(colour), samples_(kCapacity, 0) {}

void GraphHistory::Push(int value) {
  samples_[static_cast<std::size_t>(writePosition_)] = value;
  writePosition_ = (writePosition_ + 1) % kCapacity;
  if (count_ < kCapacity) ++count_;
}

}  // namespace vel
