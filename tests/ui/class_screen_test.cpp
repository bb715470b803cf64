// "클래스 화면" and "클래스 결과" with ten riders on a board fed by hand: the
// tiles read from across a studio at 1920 x 1080 and keep every text whole
// at 1280 x 720; the pictures are saved to be looked at by eye.
#include "ui/class_screen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>

#include "app/class_tile_layout.h"
#include "common/tick_clock.h"
#include "controls/gulim_font.h"
#include "sensors/sensor_event.h"
#include "support/board_rig.h"
#include "support/scratch_folder.h"
#include "ui/class_results_dialog.h"
#include "ui/window_controls.h"

namespace vel {
namespace {

class ClassScreenTest : public ::testing::Test, protected test::BoardRig {
 protected:
  ClassScreenTest() {
    std::vector<std::string> team;
    for (int k = 1; k <= 10; ++k)
      team.push_back(test::MemberJson(100 + k, "라이더" + std::to_string(k), "[]"));
    LoadTeam(team);
    board->UseRiderSettings([](std::uint64_t member) {
      return RiderSettings{170 + static_cast<int>(member % 20),
                           180 + static_cast<int>(member % 7) * 20, std::nullopt};
    });
    for (int panel = 0; panel < 10; ++panel) {
      board->SelectMember(panel, EntryOf(101 + panel));
      board->ClickStart(panel);
    }
    for (int second = 0; second < 90; ++second) {
      for (int panel = 0; panel < 10; ++panel) {
        const int effort = (second + 9 * panel) % 60;
        Push(panel, EventHeader::kHeartRate, 120, EventValue::Integer(110 + effort + panel * 4));
        Push(panel, EventHeader::kPower, 11, EventValue::Integer(120 + effort * 3 + panel * 15));
        Push(panel, EventHeader::kCadence, 11, EventValue::Integer(80 + effort / 4));
        Push(panel, EventHeader::kSpeed, 123, EventValue::Real(28 + effort / 10.0 + panel));
        Push(panel, EventHeader::kDistance, 123,
             EventValue::Real(0.01 * second * (1 + panel / 10.0)));
      }
      board->DrainEvents();
      test::ManualTick::Advance(1000);
      board->UpdateClocks();
    }
    PushEvent(BuildBatteryEvent(3, 120, static_cast<int>(BatteryStatus::kLow), TickCount64()));
    board->DrainEvents();
  }
  ~ClassScreenTest() override { board.reset(); }
  void Push(int panel, EventHeader header, int type, EventValue value) {
    PushEvent(BuildReadingEvent(header, panel, type, 0, value, TickCount64()));
  }
  // The texts of a tile that do not fit the room its layout gives them.
  static QStringList Cut(const CClassTile& tile) {
    const ClassTileLayout layout = LayOutClassTile(tile.width(), tile.height());
    const ClassTileTexts widest = WidestClassTileTexts();
    const std::pair<const ClassTileLayout::Box*, const std::string*> texts[] = {
        {&layout.heartRate, &widest.heartRate}, {&layout.heartRateZone, &widest.heartRateZone},
        {&layout.power, &widest.power},         {&layout.powerZone, &widest.powerZone},
        {&layout.figures1, &widest.figures1},   {&layout.figures2, &widest.figures2},
        {&layout.badge, &widest.badge},         {&layout.time, &widest.time}};
    QStringList cut;
    for (const auto& [box, text] : texts) {
      const QFontMetrics metrics(GulimFont(box->fontPixels, QFont::Bold));
      if (metrics.horizontalAdvance(QString::fromStdString(*text)) > box->width ||
          metrics.height() > box->height + 2) {
        cut << QString::fromStdString(*text);
      }
    }
    return cut;
  }

  test::ManualTick tick{5000};
};

TEST_F(ClassScreenTest, TenRidersReadFromAcrossTheRoomAndNothingIsCut) {
  CClassScreen screen(*board, {});
  for (const QSize size : {QSize(1920, 1080), QSize(1280, 720)}) {
    screen.resize(size);
    screen.show();
    screen.Refresh();
    QApplication::processEvents();
    for (int panel = 0; panel < 10; ++panel) {
      const CClassTile& tile = screen.Tile(panel);
      ASSERT_TRUE(tile.isVisible()) << panel << ": ten riders without scrolling";
      EXPECT_EQ(Cut(tile).join(" | ").toStdString(), "") << size.width() << " panel " << panel;
      if (size.height() == 1080) {
        EXPECT_GE(LayOutClassTile(tile.width(), tile.height()).heartRate.fontPixels, 108)
            << "a tenth of the screen's height";
      }
    }
    test::Shoot(screen,
                QStringLiteral("class_screen_%1x%2.png").arg(size.width()).arg(size.height()));
  }
  const auto ranked =
      screen.findChild<CClassRankingStrip*>(ControlObjectName(CClassScreen::kStripId))->Shown();
  ASSERT_EQ(ranked.size(), 10u);
  EXPECT_EQ(ranked.front().name, "라이더10") << "the fastest rode the farthest";
  EXPECT_EQ(ClassTileTextsOf(board->Tile(3)).badge, "심박 배터리 부족");
}

TEST_F(ClassScreenTest, TheClassResultsAreShownSavedAndTakeTheTilesPlace) {
  const test::ScratchFolder folder;
  CClassScreen screen(*board, {});
  screen.resize(1280, 720);
  screen.show();
  CClassResultsDlg results;
  std::vector<ClassRide> rides;
  board->OnClassOver([&](std::vector<ClassRide> over) { rides = std::move(over); });
  for (int panel = 0; panel < 10; ++panel) board->ClickStart(panel);  // the last ■ ends the class
  ASSERT_EQ(rides.size(), 10u);
  std::filesystem::path saved;
  const QImage picture =
      results.ShowResults(MakeClassResults(rides, RankBy::kAveragePower, 1'765'000'000'000),
                          folder.Path(), 1'765'000'000'000, &saved);
  EXPECT_TRUE(std::filesystem::exists(saved));
  EXPECT_THAT(saved.filename().string(), testing::MatchesRegex("class-[0-9]{8}-[0-9]{4}\\.png"));
  screen.ShowResults(picture);
  EXPECT_TRUE(screen.findChild<QLabel*>(ControlObjectName(CClassScreen::kResultsId))->isVisible());
  test::Shoot(results, QStringLiteral("class_results.png"));
  board->ClickStart(0);  // the next ride begins
  screen.Refresh();
  EXPECT_FALSE(screen.findChild<QLabel*>(ControlObjectName(CClassScreen::kResultsId))->isVisible());
  rides.clear();
  board->EndClass();  // the window closes mid-class: its results are kept all the same
  EXPECT_EQ(rides.size(), 1u);
}

}  // namespace
}  // namespace vel
