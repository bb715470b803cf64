#pragma once

#include <cstdint>
#include <vector>

namespace vel {

// The history of one value on a rider graph: the latest 4096 samples in a
// ring allocated once, so that appending never allocates.
class GraphHistory {
 public:
  static constexpr int kCapacity = 4096;

  // `colour` is a Windows colour value 0x00BBGGRR.
  explicit GraphHistory(std::uint32_t colour);

  // Appends a sample (the caller keeps it within 0..9999); beyond 4096
  // samples the oldest is overwritten.
  void Push(int value);

  std::uint32_t Colour() const { return colour_; }
  // Samples held, 0..4096.
  int Count() const { return count_; }
  // The ring slot the next sample goes to, 0..4095.
  int WritePosition() const { return writePosition_; }
  // The sample of ring slot `slot` taken modulo 4096 (negative slots wrap).
  int At(int slot) const { return samples_[static_cast<unsigned>(slot) & (kCapacity - 1)]; }

 private:
  std::uint32_t colour_;
  std::vector<int> samples_;
  int count_ = 0;
  int writePosition_ = 0;
};

}  // namespace vel
