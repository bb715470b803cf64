#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

#include "app/class_results.h"
#include "app/rider_board.h"
#include "controls/class_ranking_strip.h"
#include "controls/class_tile.h"

namespace vel {

// "클래스 화면": the class for the studio's TV or projector. A tile a seated
// rider, big enough to read across the room, and the ranking across the
// top by the instructor's choice, all read from the rider board every
// second. The class's results take the tiles' place once the class is
// over, until the next ride starts. F11 or a double click toggles full
// screen; with a second screen it opens there.
class CClassScreen : public QDialog {
 public:
  static constexpr int kResourceId = 141;
  static constexpr int kRankById = 1411;
  static constexpr int kStripId = 1412;
  static constexpr int kResultsButtonId = 1413;
  static constexpr int kTileIdBase = 1420;  // + panel
  static constexpr int kResultsId = 1431;
  static constexpr int kRefreshMs = 1000;

  // `askResults`: what the results button does (the main window's summary).
  CClassScreen(RiderBoard& board, std::function<void()> askResults, QWidget* parent = nullptr);

  // Reads the board anew; the timer's work.
  void Refresh();
  // The class is over: its results in place of the tiles.
  void ShowResults(const QImage& picture);
  RankBy RankedBy() const;
  CClassTile& Tile(int panel) { return *tiles_.at(static_cast<std::size_t>(panel)); }
  // Puts the window on a second screen when there is one.
  void PlaceOnSecondScreen();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ToggleFullScreen();
  void ShowTiles();

  RiderBoard& board_;
  QComboBox* rankBy_;
  CClassRankingStrip* strip_;
  QStackedWidget* pages_;
  QWidget* grid_;
  QGridLayout* gridLayout_;
  QLabel* results_;
  QImage resultsPicture_;
  std::array<CClassTile*, RiderBoard::kPanels> tiles_{};
  std::vector<int> placed_;  // the panels the grid shows, in order
  QTimer timer_;
};

}  // namespace vel
