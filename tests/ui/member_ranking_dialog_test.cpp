// The ranking window filled from the companion server.
#include "ui/member_ranking_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QHeaderView>

#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"
#include "team/score_reports.h"
#include "ui/racing_mode_dialog.h"
#include "ui/window_controls.h"

namespace vel {
namespace {

using test::ControlOf;
using ::testing::ElementsAre;

QStringList Row(const QTableWidget* table, int row) {
  QStringList out;
  for (int column = 0; column < table->columnCount(); ++column) {
    const QTableWidgetItem* cell = table->item(row, column);
    out << (cell != nullptr ? cell->text() : QStringLiteral("?"));
  }
  return out;
}

QStringList Headers(const QTableWidget* table) {
  QStringList out;
  for (int column = 0; column < table->columnCount(); ++column) {
    out << table->horizontalHeaderItem(column)->text();
  }
  return out;
}

TEST(MemberRankingDialogTest, TheTablesShowTheServersBestsAndCannotBeRefreshed) {
  test::RunningCompanionServer server;
  test::RecordingMessageBox messages;
  RequestExecutor executor{server.Config(), messages};
  LoginValues login{test::SignInUser(server, executor, executor, "kim").accountId, ""};
  RiderLists lists;
  TeamRoster roster(executor, messages, lists, login);
  ASSERT_TRUE(roster.ChangeTeamName("fast", TeamRoster::NameChangeFrom::kRegistration));
  ASSERT_TRUE(roster.AddMember("김철수"));
  ScoreReports scores(executor, roster, login);
  const MemberRecord& kim = *roster.Members().at(0);
  ASSERT_TRUE(scores.Report(kim, RankingType::kSpeed, 45.5));
  scores.BeginDrain();
  ASSERT_TRUE(scores.Report(kim, RankingType::kHeartRate, 180));

  CMemberRankingDlg dialog(roster);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("멤버랭킹"));
  const auto* speed = ControlOf<QTableWidget>(dialog, 1031);
  const auto* cadence = ControlOf<QTableWidget>(dialog, 1029);
  const auto* heartRate = ControlOf<QTableWidget>(dialog, 1030);
  ASSERT_TRUE(speed && cadence && heartRate);
  EXPECT_THAT(Headers(speed), ElementsAre("랭킹", "팀", "멤버", "최대속도(km/h)"));
  EXPECT_THAT(Headers(cadence), ElementsAre("랭킹", "팀", "멤버", "최대케이던스(rpm)"));
  EXPECT_THAT(Headers(heartRate), ElementsAre("랭킹", "팀", "멤버", "최대심박(bpm)"));
  ASSERT_EQ(speed->rowCount(), 1);
  EXPECT_THAT(Row(speed, 0), ElementsAre("1", "fast", "김철수", "45.500000"));
  EXPECT_EQ(cadence->rowCount(), 0) << "no cadence reported: an empty ranking";
  ASSERT_EQ(heartRate->rowCount(), 1);
  EXPECT_THAT(Row(heartRate, 0), ElementsAre("1", "fast", "김철수", "180"));
  EXPECT_EQ(speed->item(0, 3)->textAlignment(), Qt::AlignCenter);
  EXPECT_TRUE(speed->showGrid());
  EXPECT_EQ(speed->selectionBehavior(), QAbstractItemView::SelectRows);
  for (const int refresh : {1051, 1052, 1053}) {
    auto* button = ControlOf<QPushButton>(dialog, refresh);
    EXPECT_EQ(button->text(), QStringLiteral("최신화"));
    EXPECT_FALSE(button->isEnabled());
  }

  CRacingModeDlg racing;
  EXPECT_EQ(racing.windowTitle(), QStringLiteral("레이싱 모드"));
  EXPECT_TRUE(racing.findChildren<QWidget*>().isEmpty());
}

}  // namespace
}  // namespace vel
