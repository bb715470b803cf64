#pragma once

#include <QColor>
#include <cstdint>

namespace vel {

// The core names colours as Windows colour values 0x00BBGGRR.
inline QColor WindowsColour(std::uint32_t value) {
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

}  // namespace vel
