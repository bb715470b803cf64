// The registration clicked through against the companion server.
#include "ui/team_name_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>

#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"
#include "ui/window_controls.h"

namespace vel {
namespace {

using test::Click;
using test::ControlOf;
using ::testing::ElementsAre;

class TeamNameDialogTest : public ::testing::Test {
 protected:
  LoginValues SignIn(const std::string& user) {
    return {test::SignInUser(server, executor, executor, user).accountId, ""};
  }

  test::RunningCompanionServer server;
  test::RecordingMessageBox messages;
  RequestExecutor executor{server.Config(), messages};
};

TEST_F(TeamNameDialogTest, ANameTakenAfterItsCheckIsRefusedAndEscapeLeavesTheNameUnchanged) {
  LoginValues kim = SignIn("kim");
  LoginValues park = SignIn("park");
  CTeamNameDlg dialog(executor, kim, &messages);
  dialog.open();
  auto* name = ControlOf<QLineEdit>(dialog, CTeamNameDlg::kNameId);
  auto* registration = ControlOf<QPushButton>(dialog, CTeamNameDlg::kRegisterId);
  EXPECT_FALSE(registration->isEnabled());
  EXPECT_TRUE(registration->isDefault());
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));

  test::Type(dialog, CTeamNameDlg::kNameId, QStringLiteral("스프린터즈"));
  Click(dialog, CTeamNameDlg::kCheckId);
  EXPECT_TRUE(registration->isEnabled());
  EXPECT_FALSE(name->isEnabled());
  // Another team takes the name meanwhile.
  ASSERT_TRUE(TeamNameRequests(executor, messages, park)
                  .Change("스프린터즈", TeamNameRequests::From::kRegistration));
  Click(dialog, CTeamNameDlg::kRegisterId);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(name->isEnabled()) << "checked again before registering";
  EXPECT_FALSE(registration->isEnabled());
  EXPECT_EQ(name->text(), QStringLiteral("스프린터즈"));
  EXPECT_EQ(kim.teamName, "");

  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(kim.teamName, "");
  EXPECT_THAT(messages.Texts(),
              ElementsAre("사용할 수 있는 팀네임 입니다.", "팀명이 등록 되었습니다.",
                          "사용할 수 없는 팀네임 입니다."));
}

}  // namespace
}  // namespace vel
