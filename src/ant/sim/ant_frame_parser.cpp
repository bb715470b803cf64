#include "ant/sim/ant_frame_parser.h"

#include "ant/ant_frame.h"

namespace vel::sim {

void AntFrameParser::Feed(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) Feed(bytes[i]);
}

void AntFrameParser::Feed(std::uint8_t byte) {
  if (index_ == 0) {
    if (byte != kAntSync) return;
    buffer_[0] = byte;
    checksum_ = byte;
    index_ = 1;
    return;
  }
  if (index_ == 1) {
    buffer_[1] = byte;
    checksum_ ^= byte;
    end_ = static_cast<std::size_t>(byte) + 3;
    index_ = 2;
    return;
  }
  buffer_[index_] = byte;  // index_ <= end_ <= 258
  checksum_ ^= byte;
  if (index_ < end_) {
    ++index_;
    return;
  }
  index_ = 0;
  if (checksum_ != 0) {
    ++badFrames_;
    return;
  }
  ++goodFrames_;
  sink_(buffer_[2], &buffer_[3], buffer_[1]);
}

}  // namespace vel::sim
