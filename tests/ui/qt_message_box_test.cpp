#include "ui/qt_message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <optional>

#include "support/scripted_packet_sender.h"
#include "ui/team_name_dialog.h"
#include "ui/window_controls.h"

namespace vel {
namespace {

struct SeenBox {
  QString text;
  QMessageBox::Icon icon;
  qsizetype buttons;
  QWidget* over;
  bool modal;
};

// Shows a message and reads the box it opens, then presses its OK; the box
// is looked for once the box's own event loop runs.
std::optional<SeenBox> ShowAndPressOk(const std::function<void()>& show) {
  std::optional<SeenBox> seen;
  std::function<void()> pressOk = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      QTimer::singleShot(0, pressOk);
      return;
    }
    seen = SeenBox{box->text(), box->icon(), box->buttons().size(), box->parentWidget(),
                   box->isModal()};
    box->button(QMessageBox::Ok)->click();
  };
  QTimer::singleShot(0, pressOk);
  show();
  return seen;
}

TEST(QtMessageBoxTest, AModalBoxWithOnlyOkAndNoIconOverTheWindowThatAsked) {
  test::ScriptedPacketSender server;
  LoginValues login;
  CTeamNameDlg dialog(server, login);  // its own message box
  dialog.open();
  const auto seen = ShowAndPressOk([&] { test::Click(dialog, CTeamNameDlg::kCheckId); });
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->text,
            QStringLiteral("잘 못된 형식입니다.\n네임에는 빈공간이 들어갈 수 없습니다."));
  EXPECT_EQ(seen->icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen->buttons, 1);
  EXPECT_EQ(seen->over, &dialog);
  EXPECT_TRUE(seen->modal);
  EXPECT_TRUE(server.Sent().empty());

  // A box of the core's, made without a window, goes over the modal dialog
  // the user works in.
  QtMessageBox anywhere;
  const auto fromCore = ShowAndPressOk([&] { anywhere.Show("인터넷 상태를 체크해 주세요."); });
  ASSERT_TRUE(fromCore);
  EXPECT_EQ(fromCore->text, QStringLiteral("인터넷 상태를 체크해 주세요."));
  EXPECT_EQ(fromCore->over, &dialog);
}

}  // namespace
}  // namespace vel
