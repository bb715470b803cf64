#include "common/queues.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace vel {
namespace {

TEST(QueuesTest, LogLineShowsTheYearInFull) {
  std::tm when{};
  when.tm_year = 2019 - 1900;
  when.tm_mon = 4;
  when.tm_mday = 3;
  when.tm_hour = 14;
  when.tm_min = 2;
  when.tm_sec = 9;
  EXPECT_EQ(FormatLogLine(when, "Closing Channel..."), "2019/05/03-14:02:09 > Closing Channel...");
}

TEST(QueuesTest, PushesReachTheBoundQueueAndAreDroppedWithoutOne) {
  PushEvent("lost");
  PushLog("lost");
  StringQueue events;
  StringQueue log;
  {
    QueueBinding e(QueueBinding::Role::kEvents, events);
    QueueBinding l(QueueBinding::Role::kLog, log);
    PushEvent("{}");
    PushLog("Resetting module...");
  }
  PushEvent("after");
  std::string s;
  ASSERT_TRUE(events.TryPop(s));
  EXPECT_EQ(s, "{}");
  EXPECT_FALSE(events.TryPop(s));
  ASSERT_TRUE(log.TryPop(s));
  EXPECT_EQ(s.substr(4, 1), "/");
  EXPECT_EQ(s.substr(19), " > Resetting module...");
}

TEST(QueuesTest, ManyThreadsPushWithoutLosingOrReorderingTheirOwnLines) {
  StringQueue events;
  QueueBinding bind(QueueBinding::Role::kEvents, events);
  constexpr int kThreads = 4;
  constexpr int kEach = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) PushEvent(std::to_string(t) + ":" + std::to_string(i));
    });
  }
  std::vector<int> next(kThreads, 0);
  int seen = 0;
  std::string s;
  while (seen < kThreads * kEach) {
    if (!events.TryPop(s)) continue;
    const int t = std::stoi(s.substr(0, 1));
    EXPECT_EQ(std::stoi(s.substr(2)), next[t]++);
    ++seen;
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(events.Size(), 0u);
}

}  // namespace
}  // namespace vel
