#include "common/tick_clock.h"

#include <gtest/gtest.h>

#include "support/wait_until.h"

namespace vel {
namespace {

TEST(TickClockTest, BootClockAdvancesAndCanBeReplaced) {
  const auto a = TickCount64();
  EXPECT_TRUE(test::WaitUntil([a] { return TickCount64() >= a + 4; }));
  SetTickSource([]() -> std::uint64_t { return 0x1'0000'0005ull; });
  EXPECT_EQ(TickCount64(), 0x1'0000'0005ull);
  EXPECT_EQ(TickCount32(), 5u);
  SetTickSource(nullptr);
  EXPECT_GE(TickCount64(), a);
}

}  // namespace
}  // namespace vel
