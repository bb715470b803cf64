#include "team/roster_lists.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

// The colours are the records' flags: two active sensors of one type (as a
// server may hold them) both show red, and a change to the records shows
// after Recolour without touching the other lists.
TEST(RosterListsTest, ColoursFollowTheRecords) {
  MemberRecord member;
  member.devices = {{1, true, 10, 120}, {2, true, 11, 120}, {3, false, 12, 11}};
  member.bicycles = {{7, false, "road", -1, -1, -1, -1}};
  RosterLists lists;
  lists.Show(member);
  ASSERT_EQ(lists.SensorList(120).Entries().size(), 2u);
  for (const auto& e : lists.SensorList(120).Entries()) EXPECT_EQ(e.colour, ColourList::kActive);

  member.devices[0].active = false;
  member.devices[2].active = true;
  member.bicycles[0].active = true;
  lists.Recolour(member);
  EXPECT_EQ(lists.SensorList(120).Find(1)->colour, ColourList::kInactive);
  EXPECT_EQ(lists.SensorList(120).Find(2)->colour, ColourList::kActive);
  EXPECT_EQ(lists.SensorList(11).Find(3)->colour, ColourList::kActive);
  EXPECT_EQ(lists.BicycleList().Find(7)->colour, ColourList::kActive);
  EXPECT_FALSE(lists.ShowsDevice(121, 1)) << "a device is shown only in its type's list";
}

}  // namespace
}  // namespace vel
