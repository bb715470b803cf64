#include "app/riding_clocks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/board_rig.h"

namespace vel {
namespace {

class RidingClocksTest : public ::testing::Test, protected test::BoardRig {
 protected:
  test::ManualTick tick{5000};
};

TEST_F(RidingClocksTest, ClockRunsFromTheStartButtonAndHoursDoNotWrap) {
  LoadTeam({test::MemberJson(5, "kim", "[]")});
  board->UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "");
  board->SelectMember(0, EntryOf(5));
  board->UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "00:00:00");
  EXPECT_EQ(view.panels[0].startText, "▶");
  EXPECT_TRUE(view.panels[0].startEnabled);

  test::ManualTick::Set(0xFFFFF000ull);  // the 32-bit count wraps during the ride
  board->ClickStart(0);
  EXPECT_EQ(view.panels[0].startText, "■");
  test::ManualTick::Advance(25ull * 3600 * 1000 + 999);
  board->UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "25:00:00");
  board->ClickStart(0);
  board->UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "00:00:00");
  EXPECT_EQ(view.panels[0].startText, "▶");

  board->SelectMember(0, 0);
  board->UpdateClocks();
  EXPECT_EQ(view.panels[0].clock, "");
  board->ClickStart(0);
  EXPECT_FALSE(view.panels[0].startEnabled);
}

TEST_F(RidingClocksTest, AMemberDeletedWhileSeatedLeavesNoClockToStart) {
  LoadTeam({test::MemberJson(5, "kim", "[]")});
  board->SelectMember(0, EntryOf(5));
  board->ClickStart(0);
  server.Answer(HeaderNumber(RequestHeader::kDeleteMember), R"({"header":3,"result":true})");
  ASSERT_TRUE(roster.DeleteMember(5));
  board->ClickStart(0);
  board->UpdateClocks();
  EXPECT_EQ(view.panels[0].startText, "▶");
  EXPECT_FALSE(view.panels[0].startEnabled);
  EXPECT_EQ(view.panels[0].clock, "");
  board->ClickStart(0);
  EXPECT_FALSE(view.panels[0].startEnabled) << "and stays disabled";
}

}  // namespace
}  // namespace vel
