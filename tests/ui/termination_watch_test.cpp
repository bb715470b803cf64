#include "ui/termination_watch.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <csignal>

namespace vel {
namespace {

// The system asks the program to stop while a message box is open over
// the main window: both end, as Escape would end them. The main window is
// shown before it runs, as the program shows it maximised, which leaves it
// out of the system's modal windows.
TEST(TerminationWatchTest, AStopFromTheSystemEndsEveryOpenWindow) {
  const TerminationWatch watch;
  QDialog window;
  int messageResult = -1;
  QTimer::singleShot(0, &window, [&] {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VEL"), QStringLiteral("..."),
                    QMessageBox::Ok, &window);
    QTimer::singleShot(0, &box, [] { ::raise(SIGTERM); });
    messageResult = box.exec();
  });
  window.show();
  EXPECT_EQ(window.exec(), QDialog::Rejected);
  EXPECT_NE(messageResult, -1) << "the box ended first";
}

}  // namespace
}  // namespace vel
