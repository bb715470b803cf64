#include "app/rider_board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/board_rig.h"

namespace vel {
namespace {

class RiderBoardTest : public ::testing::Test, protected test::BoardRig {};

TEST_F(RiderBoardTest, AMemberRidesInOnePanelAndEnablesTheBoxesOfItsSensors) {
  LoadTeam({test::MemberJson(5, "kim", R"([{"id":1,"active":true,"number":12001,"type":120},
                                         {"id":2,"active":true,"number":1101,"type":11},
                                         {"id":3,"active":false,"number":12301,"type":123}])"),
            test::MemberJson(6, "lee", R"([{"id":4,"active":true,"number":9,"type":7},
                                         {"id":5,"active":true,"number":12001,"type":120}])")});
  board->SelectMember(1, EntryOf(5));
  EXPECT_TRUE(board->IsMemberInUse(5));
  EXPECT_FALSE(board->BoxEnabled(1, SensorBox::kSpeed));
  EXPECT_TRUE(board->BoxEnabled(1, SensorBox::kCadence));
  EXPECT_TRUE(board->BoxEnabled(1, SensorBox::kHeartRate));
  EXPECT_TRUE(board->BoxEnabled(1, SensorBox::kPower));

  board->SelectMember(3, EntryOf(5));
  EXPECT_FALSE(lists.Selection(3)) << "the same member in a second panel is refused";
  EXPECT_EQ(view.panels[3].selection, std::nullopt);

  board->SelectMember(4, EntryOf(6));
  EXPECT_FALSE(board->BoxEnabled(4, SensorBox::kHeartRate))
      << "an unknown sensor kind ends the set-up";
  EXPECT_EQ(view.panels[4].gearCount, (std::array<int, 2>{-1, -1}));
}

}  // namespace
}  // namespace vel
