#pragma once

namespace vel {

// The room the program runs: ten riders side by side, each on a rider
// panel, heard by up to ten sticks (USB device numbers 0 to 9).
inline constexpr int kRiderPanels = 10;
inline constexpr int kStickPorts = 10;

// The wheel a speed is measured on when nothing better is known: a 700x23C
// road tire, in metres.
inline constexpr double kStandardWheelCircumferenceM = 2.096;

}  // namespace vel
