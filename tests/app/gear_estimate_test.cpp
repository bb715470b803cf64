#include "app/gear_estimate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(GearEstimateTest, WorkedExamples) {
  const GearRatioTable table;
  const std::vector<int> rings{50, 34};
  const std::vector<int> sprockets{25, 23, 21, 19, 18, 17, 16, 15, 14, 13, 12};
  const double r = ObservedRatio(40.0, 90.0, 2.096);
  EXPECT_NEAR(r, 3.534, 1e-3);
  EXPECT_EQ(EstimateGear(table, 1, rings, sprockets, r), std::make_pair(0, 7));
  EXPECT_EQ(EstimateGear(table, 1, rings, sprockets, 2.0), std::make_pair(1, 5))
      << "34/17 and 50/25 are both 2.0; the one added later wins";
  EXPECT_FALSE(EstimateGear(table, 1, rings, sprockets, 1.0)) << "below every ratio";
  EXPECT_FALSE(EstimateGear(table, 1, rings, sprockets, ObservedRatio(0.0, 0.0, 2.096)));
  EXPECT_EQ(table.Ratio(3, 53, 28), 53.0 / 28);
  EXPECT_EQ(table.Ratio(1, 60, 11), 0.0) << "outside the table";
}

}  // namespace
}  // namespace vel
