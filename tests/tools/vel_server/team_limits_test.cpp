// How much one team may hold, through the companion server: past the caps
// a request is refused as a bad value, and a team at every cap still loads
// in the program, whose reply limit its member list stays under.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "server/packet_envelope.h"
#include "team/roster_limits.h"
#include "tools/vel_server/app_session.h"
#include "vel-server/schema_migrations.h"
#include "vel-server/sqlite_store_database.h"
#include "vel-server/team_store.h"

namespace vel {
namespace {

using test::Packet;
using test::U64;
using web::json::value;
using enum RequestHeader;

class TeamLimitsTest : public ::testing::Test {
 protected:
  // Fills the account straight in the server's database, in one commit:
  // the requests alone would take minutes.
  void Fill(std::uint64_t account, std::size_t members, std::size_t devices, std::size_t bicycles) {
    companion::SqliteStoreDatabase database(server_.DatabasePath());
    companion::TeamStore store(database);
    companion::SqliteWriteGroup group(*database.Embedded());
    // The longest name, of the characters JSON writes longest.
    const std::string name(kMaxNameBytes, '"');
    for (std::size_t m = 0; m < members; ++m) {
      MemberRecord member;
      member.name = name;
      member.height = 999.9;
      member.weight = 999.9;
      member.gender = 2;
      for (std::size_t d = 0; d < devices; ++d) {
        member.devices.push_back({0, true, static_cast<int>(65535 - d), 121});
      }
      for (std::size_t b = 0; b < bicycles; ++b) {
        member.bicycles.push_back({0, false, name, 999.9, 3, 13, 1});
      }
      ASSERT_TRUE(store.ImportMember(account, member).Ok()) << m;
    }
    group.Commit();
  }

  test::RunningCompanionServer server_;
  test::AppSession session_{server_};
};

TEST_F(TeamLimitsTest, OneMemberDeviceOrBicyclePastItsCapIsABadValue) {
  const std::uint64_t account = session_.Account("3101");
  Fill(account, kMaxMembersPerAccount - 1, 0, 0);
  const std::uint64_t last = session_.AddMember(account, "last");
  EXPECT_EQ(session_
                .Ask(Packet(kAddMember, {{"accountid", U64(account)},
                                         {"membername", value::string("one more")}}))
                .Errcode(),
            errcode::kBadValue);

  const auto addDevice = [&](int number) {
    return session_.Ask(Packet(kAddDevice, {{"memberid", U64(last)},
                                            {"devicenumber", value::number(number)},
                                            {"devicetype", value::number(120)}}));
  };
  for (int d = 0; d < static_cast<int>(kMaxDevicesPerMember); ++d) ASSERT_TRUE(addDevice(d).ok);
  EXPECT_EQ(addDevice(9999).Errcode(), errcode::kBadValue);
  EXPECT_EQ(addDevice(0).Errcode(), errcode::kDeviceRegistered) << "the older refusal first";

  const auto addBicycle = [&] {
    return session_.Ask(Packet(kAddBicycle, {{"memberid", U64(last)},
                                             {"name", value::string("b")},
                                             {"weight", value::null()},
                                             {"crank", value::null()},
                                             {"cassette", value::null()},
                                             {"tire", value::null()}}));
  };
  for (std::size_t b = 0; b < kMaxBicyclesPerMember; ++b) ASSERT_TRUE(addBicycle().ok);
  EXPECT_EQ(addBicycle().Errcode(), errcode::kBadValue);
  EXPECT_EQ(session_.Members(account).size(), kMaxMembersPerAccount);
}

TEST_F(TeamLimitsTest, AFullTeamStillLoadsInTheProgram) {
  const std::uint64_t account = session_.Account("3102");
  Fill(account, kMaxMembersPerAccount, kMaxDevicesPerMember, kMaxBicyclesPerMember);
  const test::Answered loaded = session_.Ask(Packet(kLoadMembers, {{"accountid", U64(account)}}));
  ASSERT_TRUE(loaded.ok) << "within the program's reply limit";
  const value& members = loaded.reply.at("member");
  ASSERT_EQ(members.size(), kMaxMembersPerAccount);
  EXPECT_EQ(members.at(0).at("device").size(), kMaxDevicesPerMember);
  EXPECT_EQ(members.at(0).at("bicycle").size(), kMaxBicyclesPerMember);
  const std::size_t text = loaded.reply.serialize().size();
  RecordProperty("member_list_bytes", std::to_string(text));
  // About 8.9 MB at worst: names of characters JSON escapes, long numbers.
  EXPECT_LT(text, kMaxReplyCipher * 3 / 5) << "with room to spare";
}

}  // namespace
}  // namespace vel
