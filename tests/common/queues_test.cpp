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
  // The log window pops one text at a time, the board takes all at once;
  // both ways keep each thread's order.
  std::vector<int> next(kThreads, 0);
  int seen = 0;
  auto check = [&](std::string_view text) {
    const int t = text[0] - '0';
    EXPECT_EQ(std::stoi(std::string(text.substr(2))), next[t]++);
    ++seen;
  };
  std::string s;
  StringBatch batch;
  for (int round = 0; seen < kThreads * kEach; ++round) {
    if (round % 2 == 0) {
      if (events.TryPop(s)) check(s);
    } else {
      events.TakeAll(batch);
      batch.ForEach(check);
    }
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(events.Size(), 0u);
}

TEST(QueuesTest, AQueueThatIsNeverEmptyKeepsEveryTextWhole) {
  // Popping one of every two texts: the popped front of the buffer is cut
  // away now and then while texts stay queued behind it.
  StringQueue queue;
  const std::string filler(1000, 'x');
  int pushed = 0;
  int popped = 0;
  std::string out;
  for (int round = 0; round < 500; ++round) {
    queue.Push(std::to_string(pushed++) + filler);
    queue.Push(std::to_string(pushed++) + filler);
    ASSERT_TRUE(queue.TryPop(out));
    EXPECT_EQ(out, std::to_string(popped++) + filler);
  }
  queue.Push("");
  StringBatch rest;
  queue.TakeAll(rest);
  rest.ForEach([&](std::string_view text) {
    if (popped < pushed)
      EXPECT_EQ(text, std::to_string(popped++) + filler);
    else
      EXPECT_EQ(text, "");
  });
  EXPECT_EQ(popped, pushed);
  EXPECT_EQ(queue.Size(), 0u);
}

}  // namespace
}  // namespace vel
