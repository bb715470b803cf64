#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/ant_message.h"

namespace vel {

// The serial frame of one ANT message: sync byte, data length, message id,
// the data bytes and an XOR checksum of everything before it.
inline constexpr std::uint8_t kAntSync = 0xA4;
inline constexpr std::size_t kAntFrameOverhead = 4;  // sync, length, id, checksum

// The XOR of `count` bytes.
std::uint8_t AntChecksum(const std::uint8_t* bytes, std::size_t count);

// Writes the frame of `id` with `length` data bytes into `out`, which holds
// at least length + kAntFrameOverhead bytes; the frame's size.
std::size_t EncodeAntFrame(std::uint8_t id, const std::uint8_t* data, std::uint8_t length,
                           std::uint8_t* out);

// The same as a new buffer.
std::vector<std::uint8_t> AntFrame(std::uint8_t id, const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> AntFrame(const AntMessage& message, std::uint8_t length);

}  // namespace vel
