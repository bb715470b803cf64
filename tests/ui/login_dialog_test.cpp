// The sign-in with the real browser, through the companion server's form.
#include "signin/login_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "server/login_rules.h"
#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

class LoginDialogTest : public ::testing::Test {
 protected:
  LoginFlow::Settings Settings() {
    return {server.SignInUrl(),
            server.SignInUrl(),
            kSignInClientId,
            scratch / "VEL.f",
            [] { return std::string("00-1A-2B-3C-4D-5E"); },
            {}};
  }

  test::RunningCompanionServer server{{.demo = true, .patches = {}}};
  test::RecordingMessageBox messages;
  RequestExecutor executor{server.Config(), messages};
  test::ScratchFolder scratch;
};

TEST_F(LoginDialogTest, EnterInTheFormSignsInAndTheNextStartNeedsNoBrowser) {
  LoginValues login;
  CLoginDlg first(executor, executor, login, Settings());
  // The form offers "demo" with the focus in its field: Enter is all it takes.
  bool pressed = false;
  int shownTicks = 0;
  QTimer presser;
  QObject::connect(&presser, &QTimer::timeout, [&] {
    auto& browser = first.Browser();
    if (pressed || browser.Busy() ||
        browser.CurrentAddress().find("/dialog/oauth") == std::string::npos)
      return;
    // A few ticks for the page to be painted: only the picture needs them.
    if (++shownTicks < 5) return;
    pressed = true;
    // The window as the user sees it, to be looked at by eye.
    QDir().mkpath(QStringLiteral(VEL_WINDOW_SHOTS_DIR));
    first.grab().save(QStringLiteral(VEL_WINDOW_SHOTS_DIR "/login_dialog.png"));
    QWidget* page = browser.focusProxy() != nullptr ? browser.focusProxy() : &browser;
    QTest::keyClick(page, Qt::Key_Return);
  });
  presser.start(50);
  EXPECT_EQ(first.exec(), QDialog::Accepted);
  EXPECT_TRUE(pressed);
  EXPECT_NE(login.accountId, 0u);
  EXPECT_EQ(login.teamName, "데모팀");
  EXPECT_TRUE(std::filesystem::exists(scratch / "VEL.f"));

  LoginValues again;
  CLoginDlg second(executor, executor, again, Settings());
  EXPECT_EQ(second.exec(), QDialog::Accepted);
  EXPECT_TRUE(second.Browser().url().isEmpty());
  EXPECT_EQ(again.accountId, login.accountId);
  EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
}  // namespace vel
