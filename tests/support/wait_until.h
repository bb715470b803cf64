#pragma once

#include <chrono>
#include <functional>

namespace vel::test {

// How long a test waits for what the code signals before it counts as never
// coming. Only a guard against a hang: nothing a test waits for is meant to
// take anywhere near this long, even on a loaded machine under sanitizers.
inline constexpr std::chrono::milliseconds kWaitBound{30'000};

// Asks `condition` until it holds, pausing between tries (1 ms at first,
// growing to 20 ms). True once it held; false when `bound` passed without it.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds bound = kWaitBound);

}  // namespace vel::test
