#include "common/verify.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

// Test builds stop at an impossible state instead of riding on past it.
TEST(VerifyTest, AFailedCheckStopsATestBuildAndAHoldingOneRunsNoFallback) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH({VEL_VERIFY_OR_DEBUG_ASSERT(1 + 1 == 3){}}, "check failed: 1 \\+ 1 == 3");

  int fallbacks = 0;
  VEL_VERIFY_OR_DEBUG_ASSERT(1 + 1 == 2) { ++fallbacks; }
  EXPECT_EQ(fallbacks, 0);
}

}  // namespace
}  // namespace vel
