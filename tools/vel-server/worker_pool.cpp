#include "worker_pool.h"

#include "crash/thread_signal_stack.h"

namespace vel::companion {

WorkerPool::WorkerPool(int threads, std::size_t queueLimit) : queueLimit_(queueLimit) {
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() { Stop(); }

WorkerPool::Posted WorkerPool::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return Posted::kStopping;
    if (jobs_.size() >= queueLimit_) return Posted::kFull;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return Posted::kQueued;
}

void WorkerPool::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void WorkerPool::Work() {
  InstallThreadSignalStack();
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
}

}  // namespace vel::companion
