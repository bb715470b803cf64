#pragma once

#include <cstddef>

namespace vel {

// What the application server stores of a roster; a request beyond these
// is refused as a bad value, so the team window stops it first.
inline constexpr long kMaxDeviceNumber = 0xFFFF;   // ANT device numbers are 16-bit
inline constexpr std::size_t kMaxNameBytes = 100;  // a member's or bicycle's name, UTF-8
inline constexpr float kMaxBodyValue = 1000.0f;    // centimetres or kilograms

}  // namespace vel
