#include "app/gear_bars.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

// The bars themselves are checked by their pixels in the widget's tests.
TEST(GearBarsTest, NothingToDrawForNoCountOrBarsWithoutPixels) {
  EXPECT_TRUE(LayOutGearBars(GearIndicator::kRear, -1, -1, 52, 44).empty());
  EXPECT_TRUE(LayOutGearBars(GearIndicator::kFront, 0, 0, 52, 44).empty());
  EXPECT_TRUE(LayOutGearBars(GearIndicator::kRear, 60, 0, 52, 44).empty());
  EXPECT_EQ(LayOutGearBars(GearIndicator::kFront, 11, 10, 52, 44).back(),
            (GearBar{8, 40, 12, 44, true}));
}

}  // namespace
}  // namespace vel
