#include "vel-server/team_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "server/request_catalogue.h"
#include "support/scratch_folder.h"
#include "vel-server/schema_migrations.h"
#include "vel-server/sqlite_store_database.h"

namespace vel {
namespace {

using flt = std::numeric_limits<double>;

class TeamStoreTest : public ::testing::Test {
 protected:
  TeamStoreTest() { companion::MigrateSchema(database_); }

  companion::SqliteStoreDatabase database_{":memory:"};
  companion::TeamStore store_{database_};
};

TEST_F(TeamStoreTest, RankingsStopAtAHundredRowsWithTiesInOrderOfJoining) {
  const std::uint64_t account = store_.SignInAccount("1").value.id;
  std::vector<std::uint64_t> members;
  for (int i = 0; i < 105; ++i) {
    members.push_back(store_.AddMember(account, "m" + std::to_string(i)).value);
    ASSERT_TRUE(
        store_.ReportScore(account, members.back(), RankingType::kCadence, 100 + i % 3).Ok());
  }
  const auto rows = store_.LoadRanking(RankingType::kCadence);
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows.front().memberName, "m2");  // the first of the 102s
  EXPECT_EQ(rows[1].memberName, "m5");
  EXPECT_EQ(rows.back().score, 100);
  EXPECT_TRUE(rows.front().teamName.empty());  // a team without a name yet
  EXPECT_TRUE(store_.LoadRanking(RankingType::kHeartRate).empty());
}

TEST_F(TeamStoreTest, ScoreReportsSayWhetherTheyRaisedTheBest) {
  const std::uint64_t account = store_.SignInAccount("1").value.id;
  const std::uint64_t member = store_.AddMember(account, "m").value;
  EXPECT_TRUE(store_.ReportScore(account, member, RankingType::kSpeed, 30.25).value);
  EXPECT_FALSE(store_.ReportScore(account, member, RankingType::kSpeed, 30.25).value);
  EXPECT_FALSE(store_.ReportScore(account, member, RankingType::kSpeed, 12).value);
  EXPECT_TRUE(store_.ReportScore(account, member, RankingType::kSpeed, 30.5).value);
  EXPECT_DOUBLE_EQ(store_.LoadMembers(account).value.at(0).bestSpeed, 30.5);
  EXPECT_EQ(store_.ReportScore(account, member, RankingType::kSpeed, flt::infinity()).errcode,
            errcode::kBadValue);
}

TEST_F(TeamStoreTest, ImportedMembersKeepTheirFlagsButNotBadValues) {
  const std::uint64_t account = store_.SignInAccount("1").value.id;
  MemberRecord member;
  member.name = "m";
  member.devices = {{0, true, 5, 120}, {0, false, 6, 11}};
  member.bicycles.push_back({0, true, "b", 8.0, 1, 0, -1});
  ASSERT_TRUE(store_.ImportMember(account, member).Ok());
  const auto loaded = store_.LoadMembers(account).value.at(0);
  EXPECT_TRUE(loaded.devices.at(0).active);
  EXPECT_FALSE(loaded.devices.at(1).active);
  EXPECT_TRUE(loaded.bicycles.at(0).active);
  EXPECT_EQ(loaded.bicycles.at(0).cassette, -1);  // 0: nothing chosen
  EXPECT_EQ(loaded.bicycles.at(0).tire, -1);      // -1 likewise

  member.devices.push_back({0, false, 7, 99});
  EXPECT_EQ(store_.ImportMember(account, member).errcode, errcode::kBadValue);
  EXPECT_EQ(store_.LoadMembers(account).value.size(), 1u);  // nothing of it was kept
}

}  // namespace
}  // namespace vel
