#include "rides/ride_file_name.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/time_zone.h"

namespace vel {
namespace {

class RideFileNameTest : public ::testing::Test {
 protected:
  RideFileNameTest() {
    ride_.id = 17;
    ride_.memberId = 42;
    ride_.startUtcMs = 1796792700250;  // 2026-12-09 05:05 UTC, 14:05 in Seoul
  }

  std::string NameFor(const std::string& member) {
    ride_.memberName = member;
    return RideFileName(ride_, "fit");
  }

  test::TimeZone seoul_{"KST-9"};
  Ride ride_;
};

TEST_F(RideFileNameTest, TheLocalStartTheMemberAndTheRide) {
  EXPECT_EQ(NameFor("라이더1"), "2026-12-09_1405_라이더1_17.fit");
  EXPECT_EQ(RideFileName(ride_, ".csv"), "2026-12-09_1405_라이더1_17.csv");
  ride_.id = 0;
  EXPECT_EQ(RideFileName(ride_, "fit"), "2026-12-09_1405_라이더1.fit") << "not stored yet";
}

TEST_F(RideFileNameTest, CharactersAFileSystemRefusesBecomeUnderscores) {
  EXPECT_EQ(NameFor("a/b\\c:d*e?f\"g<h>i|j\tk\x7F"),
            "2026-12-09_1405_a_b_c_d_e_f_g_h_i_j_k__17.fit");
  EXPECT_EQ(NameFor("  Kim. . "), "2026-12-09_1405_Kim_17.fit");
  EXPECT_EQ(NameFor("김\xFF\xEB\x9D"), "2026-12-09_1405_김____17.fit") << "broken UTF-8";
  EXPECT_EQ(NameFor(" .. "), "2026-12-09_1405_회원42_17.fit");
  EXPECT_EQ(NameFor(""), "2026-12-09_1405_회원42_17.fit");
}

TEST_F(RideFileNameTest, ALongNameIsCutBetweenCharacters) {
  std::string hangul;
  for (int i = 0; i < 100; ++i) hangul += "가";
  const std::string name = NameFor("a" + hangul);
  EXPECT_LE(name.size(), 200u);
  // 200 bytes leave 177 for the member: "a" and 58 whole characters.
  EXPECT_EQ(name, "2026-12-09_1405_a" + hangul.substr(0, 58 * 3) + "_17.fit");
}

}  // namespace
}  // namespace vel
