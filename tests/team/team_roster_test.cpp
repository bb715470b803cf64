#include "team/team_roster.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/recording_message_box.h"
#include "support/scripted_packet_sender.h"
#include "team/body_measure.h"
#include "team/gear_lists.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using enum RequestHeader;

// Names of a list's entries with their colour: "123*" for an active one.
std::vector<std::string> Shown(const ColourList& list) {
  std::vector<std::string> out;
  for (const auto& e : list.Entries()) out.push_back(e.text + (e.colour ? "*" : ""));
  return out;
}

std::vector<std::string> RiderNames(const RiderLists& lists, int panel) {
  std::vector<std::string> out;
  for (const auto& e : lists.Entries(panel)) out.push_back(e.name);
  return out;
}

class TeamRosterTest : public ::testing::Test {
 protected:
  TeamRosterTest() {
    login.accountId = 77;
    login.teamName = "old";
  }

  // The reply to every later request with this header.
  void Answer(RequestHeader header, const std::string& reply) {
    server.Answer(HeaderNumber(header), reply);
  }
  // Requests with this header fail as a broken connection would.
  void Fail(RequestHeader header) { server.Fail(HeaderNumber(header)); }

  void Load(const std::string& members) {
    Answer(kLoadMembers, R"({"header":1,"result":true,"member":)" + members + "}");
    ASSERT_TRUE(roster.LoadMembers());
  }
  // One member (id 5) with the given devices, shown in the team window.
  void LoadShown(const std::string& devices, const std::string& bicycles = "null") {
    Load(R"([{"id":5,"name":"kim","device":)" + devices + R"(,"bicycle":)" + bicycles + "}]");
    roster.SelectMember(5);
  }
  std::vector<bool> Active() const {
    std::vector<bool> out;
    for (const auto& d : roster.FindMember(5)->devices) out.push_back(d.active);
    return out;
  }

  test::ScriptedPacketSender server;
  test::RecordingMessageBox messages;
  RiderLists riderLists;
  LoginValues login;
  TeamRoster roster{server, messages, riderLists, login};
};

TEST_F(TeamRosterTest, LoadReadsEveryFieldAndOffersMembersToTheRiderPanels) {
  Load(R"([
    {"id":12,"name":"park","height":175.5,"weight":null,"gender":2,
     "device":[{"id":1,"active":true,"number":12001,"type":120},
               {"id":2,"active":false,"number":1101,"type":11}],
     "bicycle":[{"id":3,"active":true,"name":"road","weight":8.2,"crank":1,"cassette":null,"tire":1}],
     "score":{"speed":45.123456789,"cadence":null,"hrm":181}},
    {"id":9.0,"name":"ahn","device":null,"bicycle":null,"score":null}
  ])");
  EXPECT_EQ(server.LastSent(), R"({"header":1,"accountid":77})");
  const MemberRecord* park = roster.FindMember(12);
  ASSERT_NE(park, nullptr);
  EXPECT_FLOAT_EQ(park->height, 175.5f);
  EXPECT_EQ(park->weight, -1.0f);
  EXPECT_EQ(park->gender, 2);
  EXPECT_EQ(GenderList()[static_cast<std::size_t>(park->gender)], "여성");
  ASSERT_EQ(park->devices.size(), 2u);
  EXPECT_EQ(park->devices[0].number, 12001);
  EXPECT_TRUE(park->devices[0].active);
  ASSERT_EQ(park->bicycles.size(), 1u);
  EXPECT_EQ(park->bicycles[0].cassette, -1);
  EXPECT_EQ(park->bestSpeed, static_cast<double>(45.123456789f)) << "kept at single precision";
  EXPECT_EQ(park->bestCadence, 0);
  EXPECT_EQ(park->bestHeartRate, 181);

  const MemberRecord* ahn = roster.FindMember(9);
  ASSERT_NE(ahn, nullptr) << "an id sent as floating point is converted";
  EXPECT_TRUE(ahn->devices.empty());
  EXPECT_EQ(ahn->bestSpeed, 0.0);

  std::vector<std::string> names;
  for (const MemberRecord* m : roster.Members()) names.push_back(m->name);
  EXPECT_THAT(names, ElementsAre("ahn", "park"));
  for (int panel = 0; panel < RiderLists::kPanels; ++panel) {
    EXPECT_THAT(RiderNames(riderLists, panel), ElementsAre("", "ahn", "park"));
  }
}

TEST_F(TeamRosterTest, LoadStopsAtARepeatedIdAndSkipsMalformedMembers) {
  Load(R"([{"id":1,"name":"a"},{"name":"no id"},{"id":2,"name":7},
           {"id":3,"name":"c","device":[{"id":4,"active":"yes","number":1,"type":120},
                                        {"id":5,"active":true,"number":2,"type":120}]},
           {"id":1,"name":"again"},{"id":6,"name":"never"}])");
  std::vector<std::uint64_t> ids;
  for (const MemberRecord* m : roster.Members()) ids.push_back(m->id);
  EXPECT_THAT(ids, ElementsAre(1, 3));
  ASSERT_EQ(roster.FindMember(3)->devices.size(), 1u) << "the malformed device is left out";
  EXPECT_EQ(roster.FindMember(3)->devices[0].id, 5u);
}

TEST_F(TeamRosterTest, FailedOrShapelessLoadsLeaveTheRosterEmpty) {
  EXPECT_FALSE(roster.LoadMembers());  // no answer at all
  Answer(kLoadMembers, R"({"header":1,"result":true,"member":{"id":1}})");
  EXPECT_FALSE(roster.LoadMembers());
  Answer(kLoadMembers, R"({"header":1,"result":true,"member":[]})");
  EXPECT_TRUE(roster.LoadMembers());
  EXPECT_TRUE(roster.Members().empty());
  EXPECT_THAT(RiderNames(riderLists, 0), ElementsAre(""));
}

TEST_F(TeamRosterTest, AMemberAlreadyOfferedInTheRiderPanelsEndsTheLoad) {
  riderLists.Add("ghost", 2);
  Load(R"([{"id":1,"name":"a"},{"id":2,"name":"b"},{"id":3,"name":"c"}])");
  EXPECT_EQ(roster.Members().size(), 2u) << "b is listed, but the load stops there";
  EXPECT_THAT(RiderNames(riderLists, 4), ElementsAre("", "a", "ghost"));
}

TEST_F(TeamRosterTest, AddAndDeleteMember) {
  Answer(kAddMember, R"({"header":2,"result":true,"memberid":40})");
  ASSERT_TRUE(roster.AddMember("lee"));
  EXPECT_EQ(server.LastSent(), R"({"header":2,"accountid":77,"membername":"lee"})");
  ASSERT_NE(roster.FindMember(40), nullptr);
  riderLists.Select(3, 1);
  EXPECT_TRUE(riderLists.IsMemberInUse(40));

  Fail(kDeleteMember);
  EXPECT_FALSE(roster.DeleteMember(40));
  EXPECT_NE(roster.FindMember(40), nullptr) << "a failed request changes nothing";

  Answer(kDeleteMember, R"({"header":3,"result":true})");
  roster.SelectMember(40);
  ASSERT_TRUE(roster.DeleteMember(40));
  EXPECT_EQ(server.LastSent(), R"({"header":3,"accountid":77,"memberid":40})");
  EXPECT_EQ(roster.FindMember(40), nullptr);
  EXPECT_FALSE(roster.SelectedMember());
  EXPECT_THAT(RiderNames(riderLists, 3), ElementsAre("")) << "gone even where it was selected";
  EXPECT_FALSE(riderLists.Selection(3));

  Fail(kAddMember);
  EXPECT_FALSE(roster.AddMember("kang"));
  EXPECT_TRUE(roster.Members().empty());
}

TEST_F(TeamRosterTest, AddAndDeleteDevices) {
  LoadShown("[]");
  Answer(kAddDevice, R"({"header":4,"result":true,"deviceid":900})");
  ASSERT_TRUE(roster.AddDevice(120, "0123"));
  EXPECT_EQ(server.LastSent(), R"({"header":4,"memberid":5,"devicenumber":123,"devicetype":120})");
  Answer(kAddDevice, R"({"header":4,"result":true,"deviceid":901})");
  ASSERT_TRUE(roster.AddDevice(120, "9"));
  Answer(kAddDevice, R"({"header":4,"result":true,"deviceid":902})");
  ASSERT_TRUE(roster.AddDevice(120, "12"));
  EXPECT_THAT(Shown(roster.SensorList(120)), ElementsAre("12", "123", "9")) << "sorted as text";
  EXPECT_TRUE(roster.SensorList(120).HasText("123"));
  EXPECT_EQ(roster.FindMember(5)->devices.size(), 3u);
  EXPECT_FALSE(roster.AddDevice(120, "")) << "no number, no request";
  EXPECT_FALSE(roster.AddDevice(7, "1")) << "no list for that type";

  Answer(kDeleteDevice, R"({"header":5,"result":true})");
  ASSERT_TRUE(roster.DeleteDevice(120, 900));
  EXPECT_EQ(server.LastSent(), R"({"header":5,"accountid":77,"memberid":5,"deviceid":900})");
  EXPECT_THAT(Shown(roster.SensorList(120)), ElementsAre("12", "9"));
  ASSERT_EQ(roster.FindMember(5)->devices.size(), 2u);
  EXPECT_EQ(roster.FindMember(5)->devices[0].id, 901u) << "the order of the others is kept";

  roster.SelectMember(std::nullopt);
  EXPECT_FALSE(roster.AddDevice(120, "5")) << "needs a member shown";
  EXPECT_TRUE(roster.SensorList(120).Empty());
}

TEST_F(TeamRosterTest, CombinedSensorAndSpeedSensorExcludeEachOther) {
  LoadShown(R"([{"id":1,"active":true,"number":10,"type":123},
                {"id":2,"active":true,"number":20,"type":122},
                {"id":3,"active":false,"number":30,"type":121}])");
  Answer(kActivateDevice, R"({"header":6,"result":true})");
  ASSERT_TRUE(roster.ToggleDevice(121, 3));
  EXPECT_EQ(server.LastSent(), R"({"header":6,"memberid":5,"deviceid":3})");
  EXPECT_THAT(Active(), ElementsAre(false, false, true));
  EXPECT_THAT(Shown(roster.SensorList(121)), ElementsAre("30*"));
  EXPECT_THAT(Shown(roster.SensorList(123)), ElementsAre("10"));

  ASSERT_TRUE(roster.ToggleDevice(123, 1));
  EXPECT_THAT(Active(), ElementsAre(true, false, false)) << "the cadence sensor stays off";
}

TEST_F(TeamRosterTest, PowerMeterAndCadenceSensorExcludeEachOther) {
  LoadShown(R"([{"id":1,"active":true,"number":10,"type":122},
                {"id":2,"active":false,"number":20,"type":11},
                {"id":3,"active":true,"number":30,"type":121},
                {"id":4,"active":false,"number":40,"type":11}])");
  Answer(kActivateDevice, R"({"header":6,"result":true})");
  ASSERT_TRUE(roster.ToggleDevice(11, 2));
  EXPECT_THAT(Active(), ElementsAre(false, true, true, false));
  ASSERT_TRUE(roster.ToggleDevice(11, 4));
  EXPECT_THAT(Active(), ElementsAre(false, false, true, true)) << "one active per type";
  EXPECT_THAT(Shown(roster.SensorList(11)), ElementsAre("20", "40*"));
  ASSERT_TRUE(roster.ToggleDevice(122, 1));
  EXPECT_THAT(Active(), ElementsAre(true, false, false, false))
      << "a cadence sensor excludes the combined sensor and the power meter";
}

TEST_F(TeamRosterTest, ToggleOffSendsSevenAndOtherReplyHeadersChangeNothing) {
  LoadShown(R"([{"id":1,"active":true,"number":10,"type":120}])");
  Answer(kDeactivateDevice, R"({"header":7,"result":true})");
  ASSERT_TRUE(roster.ToggleDevice(120, 1));
  EXPECT_EQ(server.LastSent(), R"({"header":7,"memberid":5,"deviceid":1})");
  EXPECT_THAT(Active(), ElementsAre(false));
  EXPECT_THAT(Shown(roster.SensorList(120)), ElementsAre("10"));

  Answer(kActivateDevice, R"({"header":99,"result":true})");
  ASSERT_TRUE(roster.ToggleDevice(120, 1));
  EXPECT_THAT(Active(), ElementsAre(false));
  Fail(kActivateDevice);
  EXPECT_FALSE(roster.ToggleDevice(120, 1));
  EXPECT_FALSE(roster.ToggleDevice(120, 42)) << "no such entry, no request";
}

TEST_F(TeamRosterTest, BicyclesAddToggleAndDelete) {
  LoadShown("[]", R"([{"id":1,"active":true,"name":"old","crank":2,"cassette":5,"tire":1}])");
  EXPECT_THAT(Shown(roster.BicycleList()), ElementsAre("old*"));
  Answer(kAddBicycle, R"({"header":15,"result":true,"bicycleid":2})");
  ASSERT_TRUE(roster.AddBicycle("new", 7.5f, 0, 3, -1));
  EXPECT_EQ(
      server.LastSent(),
      R"({"header":15,"memberid":5,"name":"new","weight":7.5,"crank":null,"cassette":3,"tire":null})");
  const BicycleRecord& added = roster.FindMember(5)->bicycles.back();
  EXPECT_EQ(added.crank, -1);
  EXPECT_EQ(added.cassette, 3);
  EXPECT_FALSE(added.active);

  Answer(kActivateBicycle, R"({"header":13,"result":true})");
  ASSERT_TRUE(roster.ToggleBicycle(2));
  EXPECT_EQ(server.LastSent(), R"({"header":13,"memberid":5,"bicycleid":2})");
  EXPECT_THAT(Shown(roster.BicycleList()), ElementsAre("new*", "old"));
  EXPECT_FALSE(roster.FindMember(5)->bicycles[0].active);
  EXPECT_TRUE(roster.FindMember(5)->bicycles[1].active);

  Answer(kDeactivateBicycle, R"({"header":14,"result":true})");
  ASSERT_TRUE(roster.ToggleBicycle(2));
  EXPECT_FALSE(roster.FindMember(5)->bicycles[1].active);

  Answer(kDeleteBicycle, R"({"header":17,"result":true})");
  ASSERT_TRUE(roster.DeleteBicycle(1));
  EXPECT_EQ(server.LastSent(), R"({"header":17,"accountid":77,"memberid":5,"bicycleid":1})");
  EXPECT_THAT(Shown(roster.BicycleList()), ElementsAre("new"));
  EXPECT_EQ(roster.FindMember(5)->bicycles.size(), 1u);
}

TEST_F(TeamRosterTest, BodyDataIsSentWithNullsAndKeptOnSuccess) {
  LoadShown("[]");
  Answer(kSaveBodyInfo, R"({"header":12,"result":true})");
  ASSERT_TRUE(roster.SaveBodyInfo(ReadWholeAndTenths("175", ""), std::nullopt, 1));
  EXPECT_EQ(
      server.LastSent(),
      R"({"header":12,"accountid":77,"memberid":5,"height":175,"weight":null,"gender":1,"age":null})");
  EXPECT_EQ(roster.FindMember(5)->height, 175.0f);
  EXPECT_EQ(roster.FindMember(5)->gender, 1);
  Fail(kSaveBodyInfo);
  EXPECT_FALSE(roster.SaveBodyInfo(80.0f, 70.0f, std::nullopt));
  EXPECT_EQ(roster.FindMember(5)->height, 175.0f);
}

TEST_F(TeamRosterTest, TeamNameMessagesFollowTheReplyAndTheWindow) {
  Answer(kCheckTeamName, R"({"header":10,"result":true})");
  EXPECT_TRUE(roster.CheckTeamName("fast"));
  Answer(kCheckTeamName, R"({"header":10,"result":false,"errcode":1})");
  EXPECT_FALSE(roster.CheckTeamName("taken"));
  Answer(kCheckTeamName, R"({"header":10,"result":false,"errcode":4})");
  EXPECT_FALSE(roster.CheckTeamName("odd"));
  EXPECT_THAT(messages.Texts(),
              ElementsAre("사용할 수 있는 팀네임 입니다.", "사용할 수 없는 팀네임 입니다."));

  Answer(kChangeTeamName, R"({"header":11,"result":true})");
  EXPECT_TRUE(roster.ChangeTeamName("fast", TeamRoster::NameChangeFrom::kTeamWindow));
  EXPECT_EQ(server.LastSent(), R"({"header":11,"accountid":77,"teamname":"fast"})");
  EXPECT_EQ(login.teamName, "fast");
  EXPECT_TRUE(roster.ChangeTeamName("faster", TeamRoster::NameChangeFrom::kRegistration));
  Answer(kChangeTeamName, R"({"header":11,"result":false,"errcode":1})");
  EXPECT_FALSE(roster.ChangeTeamName("taken", TeamRoster::NameChangeFrom::kTeamWindow));
  EXPECT_EQ(login.teamName, "faster");
  EXPECT_THAT(messages.Texts(),
              ElementsAre("사용할 수 있는 팀네임 입니다.", "사용할 수 없는 팀네임 입니다.",
                          "팀명이 변경 되었습니다.", "팀명이 등록 되었습니다.",
                          "사용할 수 없는 팀네임 입니다."));
}

TEST_F(TeamRosterTest, ActiveBicycleQueries) {
  Load(
      R"([{"id":1,"name":"a","bicycle":[{"id":1,"active":false,"name":"x","crank":3,"cassette":2,"tire":1},
                                          {"id":2,"active":true,"name":"y","crank":1,"cassette":1,"tire":0}]},
           {"id":2,"name":"b"},
           {"id":3,"name":"c","bicycle":[{"id":3,"active":true,"name":"z","crank":9,"cassette":0,"tire":1}]}])");
  std::int32_t position = 99;
  const auto* rings = roster.ActiveChainrings(1, position);
  ASSERT_NE(rings, nullptr);
  EXPECT_THAT(*rings, ElementsAre(50, 34));
  EXPECT_EQ(position, 1);
  const auto* cassette = roster.ActiveCassette(1, position);
  ASSERT_NE(cassette, nullptr);
  EXPECT_THAT(*cassette, ElementsAre(25, 23, 21, 19, 18, 17, 16, 15, 14, 13, 12));
  EXPECT_EQ(roster.ActiveWheelCircumference(1, position), 2.096) << "active bicycle without a tire";
  EXPECT_EQ(position, -1);

  EXPECT_EQ(roster.ActiveChainrings(2, position), nullptr) << "no bicycle";
  EXPECT_EQ(roster.ActiveWheelCircumference(2, position), 2.096);
  EXPECT_EQ(roster.ActiveWheelCircumference(404, position), -1.0) << "no such member";
  EXPECT_EQ(roster.ActiveChainrings(3, position), nullptr) << "a position past the list";
  EXPECT_EQ(position, -1);
  EXPECT_EQ(roster.ActiveCassette(3, position), nullptr);
  EXPECT_EQ(roster.ActiveWheelCircumference(3, position), 2.096);
  EXPECT_EQ(position, 1);
}

}  // namespace
}  // namespace vel
