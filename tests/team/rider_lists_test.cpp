#include "team/rider_lists.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(RiderListsTest, SelectionFollowsEntriesAndMembersAreUsedOncePerPanel) {
  RiderLists lists;
  lists.Add("m", 2);
  lists.Select(0, 1);
  lists.Add("a", 1);  // sorts before the selected entry
  EXPECT_EQ(lists.SelectedMember(0), 2u);
  lists.Select(1, 2);
  EXPECT_TRUE(lists.SelectedElsewhere(1));
  lists.Select(2, 0);
  EXPECT_FALSE(lists.SelectedMember(2)) << "the empty entry is no member";
  EXPECT_FALSE(lists.IsMemberInUse(1));
  lists.Remove(1);
  EXPECT_EQ(lists.SelectedMember(0), 2u);
  lists.Select(3, 7);
  EXPECT_FALSE(lists.Selection(3)) << "no such entry";
}

}  // namespace
}  // namespace vel
