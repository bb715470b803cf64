// The studio window on simulated sticks of a room on a manual clock, with
// the companion server's demo team: what a user does in a panel and sees.
#include "ui/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>

#include "ant/sim/simulated_stick.h"
#include "controls/windows_colour.h"
#include "rides/ride_store.h"
#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/queue_capture.h"
#include "support/recording_message_box.h"
#include "support/room_pipeline.h"
#include "support/scratch_folder.h"
#include "ui/about_box.h"
#include "ui/window_controls.h"
#include "vel-server/demo_seed.h"

namespace vel {
namespace {

using test::ControlOf;
using ::testing::ElementsAre;

constexpr int kPanel = 0;

int PixelsOf(QWidget& widget, QColor colour) {
  const QImage image = widget.grab().toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour ? 1 : 0;
  }
  return count;
}

class MainWindowTest : public ::testing::Test {
 protected:
  static int ThreadCount() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator()));
  }

  void Open(int sticks, std::filesystem::path rides = {}) {
    QApplication::processEvents();
    threadsBefore = ThreadCount();
    window = std::make_unique<CVELDlg>(
        executor, login,
        CVELDlg::Options{room.Sticks(sticks), false, "", [this] { ++captionCloses; }, rides, false},
        &messages);
    window->resize(1920, 1080);
    window->show();
    if (sticks > 0) room.WaitFor(window->Board(), [] { return false; });
  }
  void Ride(std::uint64_t ms) { room.Ride(window->Board(), ms, 250, test::ManualTick::Advance); }
  std::string Value(PanelValue value) {
    return window->Panel(kPanel).Value(value).Text().trimmed().toStdString();
  }
  QWidget& Control(int offset) {
    return *ControlOf<QWidget>(*window, RiderPanel::ControlId(kPanel, offset));
  }
  void Choose(const char* member) {
    auto& list = static_cast<QComboBox&>(Control(RiderPanel::kMemberList));
    list.setCurrentIndex(list.findText(QString::fromUtf8(member)));
  }

  test::RunningCompanionServer server{{.demo = true, .patches = {}}};
  test::RecordingMessageBox messages;
  RequestExecutor executor{server.Config(), messages};
  LoginValues login{test::SignInUser(server, executor, executor, companion::kDemoUser).accountId,
                    companion::kDemoTeam};
  test::ManualTick tick{1000};
  test::RoomPipeline room;
  std::unique_ptr<CVELDlg> window;
  int captionCloses = 0;
  int threadsBefore = 0;
};

TEST_F(MainWindowTest, ARiderChosenAndTickedRidesInThePanelUntilTheSticksGo) {
  Open(2);
  Choose("라이더1");
  auto& heartRate = static_cast<QCheckBox&>(Control(RiderPanel::kSpeedBox + 2));
  ASSERT_TRUE(heartRate.isEnabled());
  heartRate.click();
  EXPECT_TRUE(heartRate.isChecked());
  QTest::mouseClick(&Control(RiderPanel::kStartButton), Qt::LeftButton);
  Ride(5000);
  window->Board().UpdateClocks();

  EXPECT_FALSE(Value(PanelValue::kHeartRate).empty());
  EXPECT_FALSE(Value(PanelValue::kMaxHeartRate).empty());
  EXPECT_GT(PixelsOf(window->Panel(kPanel).Graph(), WindowsColour(series_colour::kHeartRate)), 0);
  EXPECT_EQ(window->Panel(kPanel).StartButton().text(), QStringLiteral("■"));
  EXPECT_NE(window->Panel(kPanel).Clock().Text(), QString());
  EXPECT_TRUE(messages.Texts().empty());

  // The sticks go; the watchdog clears what they no longer feed.
  for (int stick = 0; stick < 2; ++stick) room.room->Stick(stick).Unplug();
  test::ManualTick::Advance(RiderBoard::kWatchdogPeriodMs * 2);
  window->Board().ClearStaleValues();
  EXPECT_EQ(Value(PanelValue::kHeartRate), "");

  // Escape ends the window; its end stops every thread the sticks started.
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(window->result(), QDialog::Rejected);
  window.reset();
  EXPECT_EQ(ThreadCount(), threadsBefore);
}

TEST_F(MainWindowTest, WithoutASticksTheMessageShowsAndTheWindowOpensAndEscapeEndsIt) {
  Open(0);
  EXPECT_THAT(messages.Texts(), ElementsAre("감지된 ANT+ 수신기가 없습니다."));
  EXPECT_TRUE(window->isVisible());

  window->findChild<QAction*>(ControlObjectName(CVELDlg::kRacingMenuId))->trigger();
  EXPECT_EQ(messages.Texts().back(), "현재 준비중 입니다.");
  window->findChild<QAction*>(ControlObjectName(CVELDlg::kTeamMenuId))->trigger();
  EXPECT_TRUE(window->TeamWindow().isVisible());

  window->close();
  EXPECT_EQ(captionCloses, 1);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
  EXPECT_EQ(captionCloses, 1);
}

// Counts the requests of each header on their way to the server.
class CountingSender : public PacketSender {
 public:
  explicit CountingSender(PacketSender& server) : server_(server) {}
  bool SendPacket(const web::json::value& request, web::json::value& reply) override {
    ++sent[request.at("header").as_integer()];
    return server_.SendPacket(request, reply);
  }
  std::map<int, int> sent;

 private:
  PacketSender& server_;
};

TEST_F(MainWindowTest, TheWindowLoadsTheRosterOnceAndAServerAwayShowsItsMessageOnce) {
  CountingSender counting(executor);
  {
    CVELDlg opened(counting, login, CVELDlg::Options{room.Sticks(0), false, "", {}, {}, false},
                   &messages);
  }
  EXPECT_EQ(counting.sent[HeaderNumber(RequestHeader::kLoadMembers)], 1);

  messages.Clear();
  ServerConfig away = *ServerConfig::FromJson(web::json::value::parse(
      R"({"url":{"main":"http://127.0.0.1:1","patch":"x"},"file":{"exe":"vel","facebook":"VEL.f"}})"));
  RequestExecutor unreachable(away, messages);
  {
    CVELDlg opened(unreachable, login, CVELDlg::Options{room.Sticks(0), false, "", {}, {}, false},
                   &messages);
  }
  // One for the roster, one for the ranking the ranking window asks for.
  const auto texts = messages.Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), std::string(kCheckConnectionMessage)), 2);
}

TEST_F(MainWindowTest, TheTeamRidingOnTheScreensOfTheStudio) {
  Open(4);
  window->SeatTeam();
  Ride(20000);
  window->Board().UpdateClocks();
  for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{1366, 740}}) {
    window->resize(width, height);
    EXPECT_LE(window->minimumSizeHint().width(), width);
    EXPECT_LE(window->minimumSizeHint().height(), height);
    test::Shoot(*window, QStringLiteral("main_window_%1x%2.png").arg(width).arg(height));
  }
  CAboutDlg about(window.get());
  test::Shoot(about, QStringLiteral("about_box.png"));
}

TEST_F(MainWindowTest, AClassIsRecordedShownOnTheClassScreenAndSummedUpAtItsEnd) {
  const test::ScratchFolder folder;
  Open(4, folder.Path() / "VEL.db");
  window->SeatTeam();
  ControlOf<QAction>(*window, CVELDlg::kClassScreenMenuId)->trigger();
  EXPECT_TRUE(window->ClassScreen().isVisible());
  Ride(20000);
  for (int panel = 0; panel < RiderBoard::kPanels; ++panel) window->Board().ClickStart(panel);
  ASSERT_NE(window->ClassResultsWindow(), nullptr);
  EXPECT_TRUE(window->ClassResultsWindow()->isVisible()) << "the last ■ ends the class";
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    pictures += entry.path().filename().string().starts_with("class-") ? 1 : 0;
  }
  EXPECT_EQ(pictures, 1);
  window.reset();
  RideStore store(folder.Path() / "VEL.db");
  EXPECT_EQ(store.List().size(), 10u) << "every rider's ride is kept";
}

}  // namespace
}  // namespace vel
