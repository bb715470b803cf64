#include "team/gear_lists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

using ::testing::ElementsAre;

TEST(GearListsTest, PositionsAreBindingAndSprocketsLargestFirst) {
  ASSERT_EQ(ChainringList().size(), 4u);
  EXPECT_EQ(ChainringList()[2].text, "52-36T(미드컴팩트)");
  ASSERT_EQ(CassetteList().size(), 14u);
  EXPECT_EQ(CassetteList()[0].text, "");
  EXPECT_THAT(CassetteList()[3].sprockets, ElementsAre(28, 25, 22, 19, 17, 16, 15, 14, 13, 12, 11));
  EXPECT_THAT(CassetteList()[4].sprockets, ElementsAre(28, 25, 23, 21, 19, 17, 15, 14, 13, 12, 11));
  EXPECT_THAT(CassetteList()[13].sprockets, ElementsAre(21, 19, 18, 17, 16, 15, 14, 13, 12, 11));
  EXPECT_EQ(TireList()[1].text, "700-23C");
  for (const auto& c : CassetteList()) {
    for (int s : c.sprockets) EXPECT_LE(s, 28) << c.text;
  }
}

}  // namespace
}  // namespace vel
