#include "vel-server/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "support/wait_until.h"

namespace vel::companion {
namespace {

TEST(WorkerPoolTest, AFullQueueRefusesUntilAThreadTakesAJob) {
  WorkerPool pool(1, 1);
  std::promise<void> started;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> ran{0};
  ASSERT_EQ(pool.Post([&] {
    started.set_value();
    released.wait();
    ++ran;
  }),
            WorkerPool::Posted::kQueued);
  started.get_future().wait();  // the only thread is busy now
  EXPECT_EQ(pool.Post([&] { ++ran; }), WorkerPool::Posted::kQueued);
  EXPECT_EQ(pool.Post([&] { ++ran; }), WorkerPool::Posted::kFull);

  release.set_value();
  ASSERT_TRUE(test::WaitUntil([&] { return ran.load() == 2; }));
  EXPECT_EQ(pool.Post([&] { ++ran; }), WorkerPool::Posted::kQueued) << "room again";
  pool.Stop();
  EXPECT_EQ(ran.load(), 3);
  EXPECT_EQ(pool.Post([] {}), WorkerPool::Posted::kStopping);
}

}  // namespace
}  // namespace vel::companion
