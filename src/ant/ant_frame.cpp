#include "ant/ant_frame.h"

#include <algorithm>

namespace vel {

std::uint8_t AntChecksum(const std::uint8_t* bytes, std::size_t count) {
  std::uint8_t checksum = 0;
  for (std::size_t i = 0; i < count; ++i) checksum ^= bytes[i];
  return checksum;
}

std::size_t EncodeAntFrame(std::uint8_t id, const std::uint8_t* data, std::uint8_t length,
                           std::uint8_t* out) {
  out[0] = kAntSync;
  out[1] = length;
  out[2] = id;
  std::copy_n(data, length, out + 3);
  out[3 + length] = AntChecksum(out, 3u + length);
  return length + kAntFrameOverhead;
}

std::vector<std::uint8_t> AntFrame(std::uint8_t id, const std::vector<std::uint8_t>& data) {
  const auto length = static_cast<std::uint8_t>(data.size());
  std::vector<std::uint8_t> frame(length + kAntFrameOverhead);
  EncodeAntFrame(id, data.data(), length, frame.data());
  return frame;
}

std::vector<std::uint8_t> AntFrame(const AntMessage& message, std::uint8_t length) {
  std::vector<std::uint8_t> frame(length + kAntFrameOverhead);
  EncodeAntFrame(message.id, message.data.data(), length, frame.data());
  return frame;
}

}  // namespace vel
