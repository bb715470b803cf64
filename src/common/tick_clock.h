#pragma once

#include <cstdint>

namespace vel {

// Milliseconds since the system started (boot-time clock, which keeps
// counting through suspend). Events carry it as their `tick`.
std::uint64_t TickCount64();
// Its low 32 bits, as the riding clocks use it.
std::uint32_t TickCount32();

// Replaces the clock for simulations and tests that run on a manual clock;
// nullptr restores the system clock.
using TickSource = std::uint64_t (*)();
void SetTickSource(TickSource source);

}  // namespace vel
