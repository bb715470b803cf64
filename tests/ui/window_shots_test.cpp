// The team windows with the demo team at their natural size: no control is
// smaller than it needs to be, and each window is saved as a picture to be
// looked at by eye (build folder, window-shots/).
#include <gtest/gtest.h>

#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"
#include "team/score_reports.h"
#include "ui/member_dialog.h"
#include "ui/member_ranking_dialog.h"
#include "ui/team_name_dialog.h"
#include "ui/window_controls.h"
#include "vel-server/demo_seed.h"

namespace vel {
namespace {

using test::Shoot;

TEST(WindowShotsTest, TheTeamWindowsWithTheDemoTeam) {
  test::RunningCompanionServer server({.demo = true, .patches = {}});
  test::RecordingMessageBox messages;
  RequestExecutor executor{server.Config(), messages};
  const test::SignedInUser demo =
      test::SignInUser(server, executor, executor, companion::kDemoUser);
  LoginValues login{demo.accountId, demo.teamName};
  RiderLists lists;
  TeamRoster roster(executor, messages, lists, login);

  CMemberDlg team(roster, lists, executor, login, &messages);
  ASSERT_EQ(roster.Members().size(), 10u);
  ASSERT_TRUE(test::ClickEntry(team, CMemberDlg::kMembersId, QStringLiteral("라이더1")));
  ASSERT_TRUE(test::ClickEntry(team, CMemberDlg::kBicyclesId, QStringLiteral("로드1")));
  Shoot(team, QStringLiteral("member_dialog.png"));

  ScoreReports scores(executor, roster, login);
  for (const MemberRecord* member : roster.Members()) {
    const double rider = static_cast<double>(member->name.back() - '0');
    // Each report in a drain of its own: none waits for a later one.
    const auto report = [&](RankingType type, double score) {
      scores.BeginDrain();
      scores.Report(*member, type, score);
    };
    report(RankingType::kSpeed, 40.0 + rider * 1.25);
    report(RankingType::kCadence, 90 + rider);
    report(RankingType::kHeartRate, 170 + rider);
  }
  CMemberRankingDlg ranking(roster);
  Shoot(ranking, QStringLiteral("member_ranking_dialog.png"));

  LoginValues newcomer{test::SignInUser(server, executor, executor, "kim").accountId, ""};
  CTeamNameDlg registration(executor, newcomer, &messages);
  test::Type(registration, CTeamNameDlg::kNameId, QStringLiteral("스프린터즈"));
  Shoot(registration, QStringLiteral("team_name_dialog.png"));
}

}  // namespace
}  // namespace vel
