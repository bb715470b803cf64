#include "ui/class_screen.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/object_names.h"
#include "ui/dialog_font.h"

namespace vel {
namespace {

constexpr int kColumns = 5;
// Of the window's height: the ranking across the top.
constexpr double kStripShare = 0.1;

}  // namespace

CClassScreen::CClassScreen(RiderBoard& board, std::function<void()> askResults, QWidget* parent)
    : QDialog(parent), board_(board) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("클래스 화면"));
  setModal(false);
  setFont(DialogFont());
  setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  QPalette dark = palette();
  dark.setColor(QPalette::Window, QColor(12, 12, 16));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  setPalette(dark);
  setAutoFillBackground(true);

  rankBy_ = new QComboBox(this);
  rankBy_->setObjectName(ControlObjectName(kRankById));
  for (int k = 0; k < kRankByCount; ++k) {
    rankBy_->addItem(QString::fromUtf8(RankByName(static_cast<RankBy>(k))));
  }
  auto* resultsButton = new QPushButton(QStringLiteral("클래스 결과"), this);
  resultsButton->setObjectName(ControlObjectName(kResultsButtonId));
  resultsButton->setAutoDefault(false);
  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel(QStringLiteral("순위 기준 :"), this));
  bar->addWidget(rankBy_);
  bar->addStretch(1);
  bar->addWidget(resultsButton);

  strip_ = new CClassRankingStrip(this);
  strip_->setObjectName(ControlObjectName(kStripId));
  pages_ = new QStackedWidget(this);
  grid_ = new QWidget(pages_);
  gridLayout_ = new QGridLayout(grid_);
  gridLayout_->setContentsMargins(0, 0, 0, 0);
  gridLayout_->setSpacing(6);
  for (int panel = 0; panel < RiderBoard::kPanels; ++panel) {
    auto* tile = new CClassTile(grid_);
    tile->setObjectName(ControlObjectName(kTileIdBase + panel));
    tile->hide();
    tiles_[static_cast<std::size_t>(panel)] = tile;
  }
  results_ = new QLabel(pages_);
  results_->setObjectName(ControlObjectName(kResultsId));
  results_->setAlignment(Qt::AlignCenter);
  pages_->addWidget(grid_);
  pages_->addWidget(results_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(bar);
  layout->addWidget(strip_);
  layout->addWidget(pages_, 1);
  resize(1280, 720);

  connect(rankBy_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
  connect(resultsButton, &QPushButton::clicked, this, [askResults] {
    if (askResults) askResults();
  });
  // Runs only while the window is shown: a hidden one costs nothing.
  connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
}

void CClassScreen::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Refresh();
  timer_.start(kRefreshMs);
}

void CClassScreen::hideEvent(QHideEvent* event) {
  timer_.stop();
  QDialog::hideEvent(event);
}

RankBy CClassScreen::RankedBy() const { return static_cast<RankBy>(rankBy_->currentIndex()); }

void CClassScreen::Refresh() {
  std::vector<int> seated;
  std::vector<std::pair<std::string, double>> ranked;
  for (int panel = 0; panel < RiderBoard::kPanels; ++panel) {
    const PanelTile tile = board_.Tile(panel);
    tiles_[static_cast<std::size_t>(panel)]->Show(tile);
    if (!tile.seated) continue;
    seated.push_back(panel);
    double value = 0;
    switch (RankedBy()) {
      case RankBy::kDistance: value = tile.distanceKm; break;
      case RankBy::kCalories: value = tile.kcal.value_or(0); break;
      case RankBy::kAveragePower: value = tile.avgPower.value_or(0); break;
      case RankBy::kZonePoints: value = tile.zonePoints; break;
    }
    ranked.emplace_back(tile.name, value);
  }
  strip_->Show(Rank(ranked), RankedBy());
  // A ride begun after the results: back to the class.
  const bool riding = std::any_of(seated.begin(), seated.end(), [&](int panel) {
    return tiles_[static_cast<std::size_t>(panel)]->Shown().clockRunning;
  });
  if (pages_->currentWidget() == results_ && riding) pages_->setCurrentWidget(grid_);
  if (seated != placed_) {
    placed_ = seated;
    ShowTiles();
  }
}

void CClassScreen::ShowTiles() {
  for (CClassTile* tile : tiles_) {
    gridLayout_->removeWidget(tile);
    tile->hide();
  }
  const int count = static_cast<int>(placed_.size());
  const int columns = std::max(1, std::min(kColumns, count));
  for (int i = 0; i < count; ++i) {
    CClassTile* tile = tiles_[static_cast<std::size_t>(placed_[static_cast<std::size_t>(i)])];
    gridLayout_->addWidget(tile, i / columns, i % columns);
    tile->show();
  }
  for (int c = 0; c < kColumns; ++c) gridLayout_->setColumnStretch(c, c < columns ? 1 : 0);
  for (int r = 0; r < 2; ++r) gridLayout_->setRowStretch(r, 1);
}

void CClassScreen::ShowResults(const QImage& picture) {
  resultsPicture_ = picture;
  results_->setPixmap(QPixmap::fromImage(
      picture.scaled(pages_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  pages_->setCurrentWidget(results_);
}

void CClassScreen::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  strip_->setFixedHeight(std::max(48, static_cast<int>(height() * kStripShare)));
  if (!resultsPicture_.isNull()) {
    results_->setPixmap(QPixmap::fromImage(
        resultsPicture_.scaled(pages_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  }
}

void CClassScreen::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F11) {
    ToggleFullScreen();
    return;
  }
  // Escape leaves full screen; it never closes the class.
  if (event->key() == Qt::Key_Escape) {
    if (isFullScreen()) showNormal();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CClassScreen::mouseDoubleClickEvent(QMouseEvent*) { ToggleFullScreen(); }

void CClassScreen::ToggleFullScreen() {
  if (isFullScreen()) {
    showNormal();
  } else {
    showFullScreen();
  }
}

void CClassScreen::PlaceOnSecondScreen() {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.size() < 2) return;
  QScreen* second = screens.at(1);
  if (second == QGuiApplication::primaryScreen()) second = screens.at(0);
  setGeometry(second->availableGeometry());
}

}  // namespace vel
