#include "ant/ant_frame_decoder.h"

#include "ant/ant_frame.h"

namespace vel {

AntFrameDecoder::Result AntFrameDecoder::Feed(std::uint8_t byte) {
  if (index_ == 0) {
    if (byte == kAntSync) {
      buffer_[0] = byte;
      checksum_ = byte;
      index_ = 1;
    }
    return Result::kMore;
  }
  if (index_ == 1) {
    buffer_[1] = byte;
    checksum_ ^= byte;
    end_ = static_cast<std::size_t>(byte) + 3;
    index_ = 2;
    return Result::kMore;
  }
  buffer_[index_] = byte;  // index_ <= end_ <= 258
  checksum_ ^= byte;
  if (index_ < end_) {
    ++index_;
    return Result::kMore;
  }
  index_ = 0;
  return checksum_ == 0 ? Result::kFrame : Result::kBadChecksum;
}

}  // namespace vel
