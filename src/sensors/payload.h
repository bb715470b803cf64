#pragma once

#include <cstdint>

namespace vel {

// Field readers for the 8-byte ANT+ payload. ANT+ fields are little-endian
// unless a page says otherwise.
inline std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint16_t Be16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t Le24(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16);
}
inline std::uint32_t Le32(const std::uint8_t* p) {
  return Le24(p) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace vel
