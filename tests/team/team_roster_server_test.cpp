// The roster's requests against the real companion server on loopback.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/rider_board.h"
#include "common/queues.h"
#include "sensors/sensor_event.h"
#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/queue_capture.h"
#include "support/recording_message_box.h"
#include "support/recording_panel_view.h"
#include "team/body_measure.h"
#include "team/team_roster.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RosterServerTest : public ::testing::Test {
 protected:
  RosterServerTest() {
    login.accountId = test::SignInUser(server, executor, executor, "kim").accountId;
  }
  // A roster as a new start of the program would load it.
  std::unique_ptr<TeamRoster> Reload() {
    reloadedLists = std::make_unique<RiderLists>();
    auto fresh = std::make_unique<TeamRoster>(executor, messages, *reloadedLists, login);
    EXPECT_TRUE(fresh->LoadMembers());
    return fresh;
  }
  std::uint64_t Add(const std::string& name) {
    EXPECT_TRUE(roster.AddMember(name));
    for (const MemberRecord* m : roster.Members()) {
      if (m->name == name) return m->id;
    }
    return kNoId;
  }
  std::uint64_t DeviceId(int type) { return roster.SensorList(type).Entries().at(0).id; }

  test::RunningCompanionServer server;
  test::RecordingMessageBox messages;
  RequestExecutor executor{server.Config(), messages};
  RiderLists lists;
  std::unique_ptr<RiderLists> reloadedLists;
  LoginValues login;
  TeamRoster roster{executor, messages, lists, login};
};

TEST_F(RosterServerTest, EverythingTheServerTookIsThereAfterARestart) {
  const std::uint64_t kim = Add("kim");
  const std::uint64_t lee = Add("lee");
  roster.SelectMember(kim);
  ASSERT_TRUE(roster.AddDevice(123, "12301"));
  ASSERT_TRUE(roster.AddDevice(122, "12201"));
  ASSERT_TRUE(roster.AddDevice(121, "12101"));
  ASSERT_TRUE(roster.ToggleDevice(123, DeviceId(123)));
  ASSERT_TRUE(roster.ToggleDevice(122, DeviceId(122)));
  ASSERT_TRUE(roster.ToggleDevice(121, DeviceId(121)));  // excludes the other two
  ASSERT_TRUE(roster.AddBicycle("road", 7.8f, 1, 5, 1));
  ASSERT_TRUE(roster.ToggleBicycle(roster.BicycleList().Entries()[0].id));
  ASSERT_TRUE(roster.SaveBodyInfo(ReadWholeAndTenths("175", "5"), std::nullopt, 2));
  roster.SelectMember(lee);
  ASSERT_TRUE(roster.AddDevice(120, "12001"));
  ASSERT_TRUE(roster.DeleteDevice(120, DeviceId(120)));
  ASSERT_TRUE(roster.AddBicycle("spare", std::nullopt, 0, 0, 0));
  ASSERT_TRUE(roster.DeleteBicycle(roster.BicycleList().Entries()[0].id));
  EXPECT_THAT(messages.Texts(), IsEmpty());

  server.Restart();
  auto fresh = Reload();
  const MemberRecord* k = fresh->FindMember(kim);
  ASSERT_NE(k, nullptr);
  ASSERT_EQ(k->devices.size(), 3u);
  for (const DeviceRecord& d : k->devices) {
    EXPECT_EQ(d.active, d.type == 121) << d.type;
    const DeviceRecord& mine = *std::find_if(roster.FindMember(kim)->devices.begin(),
                                             roster.FindMember(kim)->devices.end(),
                                             [&](const DeviceRecord& m) { return m.id == d.id; });
    EXPECT_EQ(mine.active, d.active) << "the program's model and the server agree";
  }
  ASSERT_EQ(k->bicycles.size(), 1u);
  EXPECT_TRUE(k->bicycles[0].active);
  EXPECT_FLOAT_EQ(k->bicycles[0].weight, 7.8f);
  EXPECT_EQ(k->bicycles[0].cassette, 5);
  EXPECT_FLOAT_EQ(k->height, 175.5f);
  EXPECT_EQ(k->weight, -1.0f);
  EXPECT_EQ(k->gender, 2);
  int position = 0;
  ASSERT_NE(fresh->ActiveCassette(kim, position), nullptr);
  EXPECT_EQ(position, 5);

  const MemberRecord* l = fresh->FindMember(lee);
  ASSERT_NE(l, nullptr);
  EXPECT_TRUE(l->devices.empty());
  EXPECT_TRUE(l->bicycles.empty());
  EXPECT_EQ(l->bestSpeed, 0.0);

  ASSERT_TRUE(fresh->DeleteMember(lee));
  EXPECT_EQ(Reload()->Members().size(), 1u);
}

TEST_F(RosterServerTest, TeamNamesAreOneTeamsEach) {
  EXPECT_TRUE(roster.CheckTeamName("sprinters"));
  EXPECT_TRUE(roster.ChangeTeamName("sprinters", TeamRoster::NameChangeFrom::kRegistration));
  EXPECT_EQ(login.teamName, "sprinters");

  LoginValues other;
  other.accountId = test::SignInUser(server, executor, executor, "park").accountId;
  RiderLists otherLists;
  TeamRoster otherRoster(executor, messages, otherLists, other);
  EXPECT_FALSE(otherRoster.CheckTeamName("sprinters"));
  EXPECT_FALSE(otherRoster.ChangeTeamName("sprinters", TeamRoster::NameChangeFrom::kTeamWindow));
  EXPECT_EQ(other.teamName, "");
  EXPECT_THAT(messages.Texts(),
              ElementsAre("사용할 수 있는 팀네임 입니다.", "팀명이 등록 되었습니다.",
                          "사용할 수 없는 팀네임 입니다.", "사용할 수 없는 팀네임 입니다."));
}

TEST_F(RosterServerTest, ANewMaximumIsReportedOnceAndBecomesTheBestOnlyWhenTheServerTookIt) {
  ASSERT_TRUE(roster.ChangeTeamName("fast", TeamRoster::NameChangeFrom::kRegistration));
  const std::uint64_t kim = Add("kim");
  test::ManualTick tick(1000);
  test::RecordingPanelView view;
  {
    RiderBoard board(view, messages, executor, roster, lists, login);
    board.SelectMember(0, 1);
    auto speed = [&](double kmh) {
      PushEvent(BuildReadingEvent(EventHeader::kSpeed, 0, 123, 0, EventValue::Real(kmh), 2000));
      PushEvent(BuildReadingEvent(EventHeader::kCadence, 0, 122, 1, EventValue::Integer(90), 2000));
      board.DrainEvents();
    };
    speed(41.5);
    speed(41.5);
    EXPECT_EQ(roster.FindMember(kim)->bestSpeed, 41.5);
    EXPECT_EQ(roster.FindMember(kim)->bestCadence, 90);

    test::ManualTick::Advance(ScoreReports::kReportHoldMs);
    server.Server().Stop();  // the server goes away: the report fails
    speed(43.0);
    EXPECT_EQ(roster.FindMember(kim)->bestSpeed, 41.5);
    EXPECT_THAT(messages.Texts(),
                ElementsAre("팀명이 등록 되었습니다.", "인터넷 상태를 체크해 주세요."));
    server.Restart();
    speed(42.0);  // below the shown maximum: nothing is reported
    speed(44.0);  // pending until the pause after the failure has passed
    EXPECT_EQ(roster.FindMember(kim)->bestSpeed, 41.5);
    test::ManualTick::Advance(ScoreReports::kRetryPauseMs);
    board.DrainEvents();
    EXPECT_EQ(roster.FindMember(kim)->bestSpeed, 44.0);
  }
  const auto ranking = roster.LoadRanking(RankingType::kSpeed);
  ASSERT_TRUE(ranking);
  ASSERT_EQ(ranking->size(), 1u);
  EXPECT_EQ((*ranking)[0].teamName, "fast");
  EXPECT_EQ((*ranking)[0].memberName, "kim");
  EXPECT_EQ((*ranking)[0].score, "44.000000");
  const auto cadence = roster.LoadRanking(RankingType::kCadence);
  ASSERT_TRUE(cadence);
  EXPECT_EQ(cadence->at(0).score, "90");
  EXPECT_TRUE(roster.LoadRanking(RankingType::kHeartRate)->empty());
}

}  // namespace
}  // namespace vel
