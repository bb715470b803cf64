#pragma once

#include <cstddef>
#include <cstdint>

namespace vel {

// Reads the serial frames of ANT messages byte by byte, for the host's
// framer (bytes from a stick) and the simulated stick (bytes from a host)
// alike: everything up to a sync byte is skipped (the two zero bytes a host
// puts after each frame among it), then length, id, the data and an XOR
// checksum over the whole frame. A frame whose checksum does not match is
// reported and dropped, and the hunt for the next sync byte starts at the
// byte after it.
//
// Not thread-safe: its owner feeds it under its own lock.
class AntFrameDecoder {
 public:
  enum class Result : std::uint8_t {
    kMore,         // the byte was taken; no frame ended with it
    kFrame,        // a frame ended: Id, Data and Length hold it until the next Feed
    kBadChecksum,  // a frame ended with a wrong checksum and was dropped
  };

  Result Feed(std::uint8_t byte);
  // Forget a frame in progress (a stick reset or replugged).
  void Reset() { index_ = 0; }

  std::uint8_t Id() const { return buffer_[2]; }
  // 0 to 255 bytes: a frame may claim more than a message holds, and the
  // reader decides what to do with it.
  std::uint8_t Length() const { return buffer_[1]; }
  // The frame's data, writable so that a reader may rewrite a message in
  // place before handing it on.
  std::uint8_t* Data() { return &buffer_[3]; }
  const std::uint8_t* Data() const { return &buffer_[3]; }

 private:
  // Sync, length, id, up to 255 data bytes and the checksum.
  std::uint8_t buffer_[259] = {};
  std::size_t index_ = 0;
  std::size_t end_ = 0;  // index of the checksum byte
  std::uint8_t checksum_ = 0;
};

}  // namespace vel
