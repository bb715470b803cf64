#include "team/body_measure.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vel {
namespace {

TEST(BodyMeasureTest, WholeAndTenthsRoundTrip) {
  EXPECT_FALSE(ReadWholeAndTenths("", ""));
  EXPECT_EQ(*ReadWholeAndTenths("175", ""), 175.0f);
  EXPECT_EQ(*ReadWholeAndTenths("", "5"), 0.5f);
  EXPECT_GT(*ReadWholeAndTenths("99999999999999999999", ""), 1000.0f) << "not 0";
  for (float v : {175.0f, 175.3f, 62.9f, 0.5f, 99.95f}) {
    const auto [whole, tenths] = ShowWholeAndTenths(v);
    const float back = *ReadWholeAndTenths(whole, tenths);
    EXPECT_EQ(ShowWholeAndTenths(back), ShowWholeAndTenths(v)) << v;
    EXPECT_NEAR(back, v, 0.05f) << v;
  }
  EXPECT_EQ(ShowWholeAndTenths(99.96f), std::make_pair(std::string("100"), std::string("0")));
}

}  // namespace
}  // namespace vel
