#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vel::sim {

// Cuts the bytes a host writes to a stick into frames, by the same rules as
// the host's framer: everything up to a sync byte 0xA4 is skipped (the two
// zero bytes the host puts after each frame among it), then length, id,
// data and an XOR checksum over the whole frame. A frame whose checksum
// does not match is dropped and counted.
class AntFrameParser {
 public:
  // id, data, data length (0 to 255).
  using FrameSink = std::function<void(std::uint8_t, const std::uint8_t*, std::uint8_t)>;

  explicit AntFrameParser(FrameSink sink) : sink_(std::move(sink)) {}

  void Feed(const std::uint8_t* bytes, std::size_t count);
  void Feed(std::uint8_t byte);
  // Forget a frame in progress (the stick was reset or replugged).
  void Reset() { index_ = 0; }

  std::uint32_t BadFrames() const { return badFrames_; }
  std::uint32_t GoodFrames() const { return goodFrames_; }

 private:
  FrameSink sink_;
  // Sync, length, id, up to 255 data bytes and the checksum.
  std::uint8_t buffer_[259] = {};
  std::size_t index_ = 0;
  std::size_t end_ = 0;  // index of the checksum byte
  std::uint8_t checksum_ = 0;
  std::uint32_t badFrames_ = 0;
  std::uint32_t goodFrames_ = 0;
};

}  // namespace vel::sim
