#include "app/gear_bars.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(GearBarsTest, ElevenSprocketsOnFiftyTwoPixelsLeaveEightPixelsBare) {
  const auto rear = LayOutGearBars(GearIndicator::kRear, 11, 3, 52, 44);
  ASSERT_EQ(rear.size(), 11u);
  EXPECT_EQ(rear.front(), (GearBar{0, 0, 4, 44, false}));
  EXPECT_EQ(rear[3], (GearBar{12, 12, 16, 44, true}));
  EXPECT_EQ(rear.back(), (GearBar{40, 40, 44, 44, false}));

  const auto front = LayOutGearBars(GearIndicator::kFront, 11, -1, 52, 44);
  EXPECT_EQ(front.front(), (GearBar{48, 0, 52, 44, false}));
  EXPECT_EQ(front.back(), (GearBar{8, 40, 12, 44, false}));
}

TEST(GearBarsTest, NothingToDrawForNoCountOrBarsWithoutPixels) {
  EXPECT_TRUE(LayOutGearBars(GearIndicator::kRear, -1, -1, 52, 44).empty());
  EXPECT_TRUE(LayOutGearBars(GearIndicator::kFront, 0, 0, 52, 44).empty());
  EXPECT_TRUE(LayOutGearBars(GearIndicator::kRear, 60, 0, 52, 44).empty());
}

}  // namespace
}  // namespace vel
