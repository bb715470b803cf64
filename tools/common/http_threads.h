#pragma once

// The HTTP library's threads. Boost.Asio, which the pool's header brings
// in, uses std::exchange without including <utility>: it comes first.
// clang-format off
#include <utility>
#include <pplx/threadpool.h>
// clang-format on

#include <cstddef>

namespace vel::tools {

// Gives the HTTP library's pool `count` threads instead of its forty. Every
// step of an exchange is a task on that pool, and among many idle threads
// almost every step wakes another one; a few busy threads move the same
// bytes with far fewer switches. Call it first in main, before anything uses
// the library; it throws once the pool is made.
inline void UseHttpThreads(std::size_t count) {
  crossplat::threadpool::initialize_with_threads(count);
}

}  // namespace vel::tools
