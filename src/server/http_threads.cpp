#include "server/http_threads.h"

// Boost.Asio, which the pool's header brings in, uses std::exchange without
// including <utility>: it comes first.
// clang-format off
#include <utility>
#include <pplx/threadpool.h>
// clang-format on

namespace vel {

void UseHttpThreads(std::size_t count) { crossplat::threadpool::initialize_with_threads(count); }

}  // namespace vel
