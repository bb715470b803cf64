// The team windows with the demo team at their natural size: no control is
// smaller than it needs to be, and each window is saved as a picture to be
// looked at by eye (build folder, window-shots/).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

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

// The controls of a shown window that are narrower or lower than they need
// to be to show their text: labels, buttons, edits and drop-down lists
// (with their longest entry), and table columns beyond their table.
QStringList Squeezed(const QWidget& window) {
  QStringList out;
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&window)) continue;
    QSize need;
    if (qobject_cast<QComboBox*>(child) != nullptr) {
      need = child->sizeHint();
    } else if (qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) ||
               qobject_cast<QLineEdit*>(child) || qobject_cast<QGroupBox*>(child)) {
      need = child->minimumSizeHint();
    } else if (auto* table = qobject_cast<QTableWidget*>(child)) {
      if (table->horizontalHeader()->length() > table->viewport()->width()) {
        out << child->objectName() + QStringLiteral(" columns");
      }
      continue;
    } else {
      continue;
    }
    if (child->width() < need.width() || child->height() < need.height()) {
      out << QStringLiteral("%1 %2 %3x%4 < %5x%6")
                 .arg(QString::fromUtf8(child->metaObject()->className()), child->objectName())
                 .arg(child->width())
                 .arg(child->height())
                 .arg(need.width())
                 .arg(need.height());
    }
  }
  return out;
}

void Shoot(QWidget& window, const QString& file) {
  window.show();
  EXPECT_EQ(Squeezed(window), QStringList()) << file.toStdString();
  const QString folder = QStringLiteral(VEL_WINDOW_SHOTS_DIR);
  ASSERT_TRUE(QDir().mkpath(folder));
  EXPECT_TRUE(window.grab().save(folder + QLatin1Char('/') + file)) << file.toStdString();
}

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
    scores.Report(*member, RankingType::kSpeed, 40.0 + rider * 1.25);
    scores.Report(*member, RankingType::kCadence, 90 + rider);
    scores.Report(*member, RankingType::kHeartRate, 170 + rider);
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
