#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vel::companion {

// The server's own threads, which do the work of every request (opening and
// sealing packets, the database, the sign-in's tokens); the HTTP library's
// threads only read bodies and hand requests over. OpenSSL keeps state per
// thread wherever it runs: on threads that end with the server it is
// released, on the library's threads, which live until the process ends,
// it would not be.
//
// At most `queueLimit` jobs wait for a thread: a flood of requests is
// refused rather than held in memory without end.
class WorkerPool {
 public:
  WorkerPool(int threads, std::size_t queueLimit);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  enum class Posted { kQueued, kFull, kStopping };
  // The job is run only when kQueued.
  Posted Post(std::function<void()> job);
  // Runs the jobs already posted, then ends the threads. Not from a job.
  void Stop();

 private:
  void Work();

  const std::size_t queueLimit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace vel::companion
