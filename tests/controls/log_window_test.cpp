#include "controls/log_window.h"

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <thread>

namespace vel {
namespace {

QListWidget& ListOf(CLogDlg& dialog) {
  auto* list = dialog.findChild<QListWidget*>(QStringLiteral("ctl1000"));
  EXPECT_NE(list, nullptr);
  return *list;
}

bool EndsWithMessage(const QListWidgetItem* item, int n) {
  return item->text().endsWith(QStringLiteral(" > line %1").arg(n));
}

TEST(LogWindowTest, FiftyLinesOfOnePeriodAppearTogetherInOrderWithTheLastInView) {
  CLogDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("로그"));
  dialog.show();
  QListWidget& list = ListOf(dialog);
  std::thread producer([] {
    for (int i = 0; i < 50; ++i) PushLog("line " + std::to_string(i));
  });
  producer.join();
  dialog.DrainLog();

  ASSERT_EQ(list.count(), 50);
  for (int i = 0; i < 50; ++i) EXPECT_TRUE(EndsWithMessage(list.item(i), i)) << i;
  const QRect view = list.viewport()->rect();
  EXPECT_TRUE(view.contains(list.visualItemRect(list.item(49))));
  EXPECT_FALSE(view.intersects(list.visualItemRect(list.item(0)))) << "scrolled to the end";
}

TEST(LogWindowTest, LinesLoggedBeforeTheFirstShowAreThere) {
  CLogDlg dialog;
  for (int i = 0; i < 3; ++i) PushLog("line " + std::to_string(i));
  QListWidget& list = ListOf(dialog);
  // The window's own timer takes them in while it is hidden.
  ASSERT_TRUE(QTest::qWaitFor([&] { return list.count() == 3; }, 60000));
  EXPECT_TRUE(dialog.isHidden());
  dialog.show();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(EndsWithMessage(list.item(i), i)) << i;
}

}  // namespace
}  // namespace vel
