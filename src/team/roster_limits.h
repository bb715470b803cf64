#pragma once

#include <cstddef>

namespace vel {

// What the application server stores of a roster, for both sides: the
// server refuses a request beyond these as a bad value, so the team window
// stops it first.
inline constexpr long kMaxDeviceNumber = 0xFFFF;       // ANT device numbers are 16-bit
inline constexpr std::size_t kMaxNameBytes = 100;      // a member's or bicycle's name, UTF-8
inline constexpr std::size_t kMaxTeamNameBytes = 100;  // UTF-8
inline constexpr double kMaxBodyValue = 1000.0;        // centimetres or kilograms
// How much one team may hold, so that its member list always fits the
// largest reply the program takes; one more is refused as a bad value.
inline constexpr std::size_t kMaxMembersPerAccount = 1000;
inline constexpr std::size_t kMaxDevicesPerMember = 50;
inline constexpr std::size_t kMaxBicyclesPerMember = 20;

}  // namespace vel
