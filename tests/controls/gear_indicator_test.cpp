#include <gtest/gtest.h>

#include "controls/front_gear.h"
#include "controls/pixels.h"
#include "controls/rear_gear.h"

namespace vel {
namespace {

using test::Column;
using test::Grab;
using test::Row;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

QImage Show(CGearIndicator& gear, int width, int height, int count, int selected) {
  gear.resize(width, height);
  gear.SetGearCount(count);
  gear.SetSelectedGear(selected);
  return Grab(gear);
}

// Two gears on 40 x 40, the second highlighted: the outline is blue, the
// first bar yellow at full height, the second red at half height.
const std::string kTallYellow = "B" + std::string(38, 'Y') + "B";
const std::string kShortRed = std::string(20, 'K') + "B" + std::string(18, 'R') + "B";

TEST(GearIndicatorTest, RearDrawsTheLargestAtTheLeftAndFrontAtTheRight) {
  CRearGear rear;
  const QImage r = Show(rear, 40, 40, 2, 1);
  EXPECT_EQ(Column(r, 10), kTallYellow);
  EXPECT_EQ(Column(r, 30), kShortRed);
  EXPECT_EQ(Row(r, 30), "B" + std::string(18, 'Y') + "BB" + std::string(18, 'R') + "B");

  CFrontGear front;
  const QImage f = Show(front, 40, 40, 2, 1);
  EXPECT_EQ(Column(f, 30), kTallYellow);
  EXPECT_EQ(Column(f, 10), kShortRed);
}

TEST(GearIndicatorTest, ElevenBarsOnFiftyTwoPixelsLeaveEightBlack) {
  CRearGear rear;
  EXPECT_EQ(Row(Show(rear, 52, 44, 11, -1), 42), Repeat("BYYB", 11) + "KKKKKKKK");
  CFrontGear front;
  EXPECT_EQ(Row(Show(front, 52, 44, 11, -1), 42), "KKKKKKKK" + Repeat("BYYB", 11));
}

}  // namespace
}  // namespace vel
