#pragma once

#include <cstddef>

namespace vel {

// Gives the HTTP library's pool `count` threads instead of its forty. Every
// step of an exchange is a task on that pool, and among many idle threads
// almost every step wakes another one; a few busy threads move the same
// bytes with far fewer switches. Call it first in main, before anything uses
// the library; it throws once the pool is made.
void UseHttpThreads(std::size_t count);

}  // namespace vel
