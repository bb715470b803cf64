// What the rider panels' drawn controls cost to paint: the ten graphs,
// each with four full series, are repainted every 250 ms and the twenty
// gear indicators every second. BM_OneSecondOfPainting does one second's
// worth and reports it as core_percent, the share of one core it takes.
// Runs on Qt's offscreen platform unless another one is asked for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QWidget>
#include <cmath>
#include <ctime>
#include <vector>

#include "common/room.h"
#include "controls/class_ranking_strip.h"
#include "controls/class_tile.h"
#include "controls/front_gear.h"
#include "controls/graph.h"
#include "controls/rear_gear.h"
#include "sensors/sensor_kinds.h"

namespace {

constexpr int kGraphsPerSecond = 1000 / vel::CGraph::kRepaintMs;
constexpr int kGearsPerSecond = 1000 / vel::CGearIndicator::kRepaintMs;

// Ten rider panels' graphs and gear indicators in one shown window. A
// graph is 380 x 220 (a 300 x 180 plot), wider than a panel of a room's
// screen needs.
class Room {
 public:
  Room() {
    auto* grid = new QGridLayout(&window_);
    for (int k = 0; k < vel::kRiderPanels; ++k) {
      auto* graph = new vel::CGraph(&window_);
      graph->setFixedSize(380, 220);
      for (std::uint32_t colour : {vel::series_colour::kSpeed, vel::series_colour::kCadence,
                                   vel::series_colour::kHeartRate, vel::series_colour::kPower}) {
        const int series = graph->AddSeries(colour);
        for (int i = 0; i < 4096; ++i) graph->PushSample(series, Sample(series, i));
      }
      auto* front = new vel::CFrontGear(&window_);
      front->setFixedSize(40, 40);
      front->SetGearCount(2);
      front->SetSelectedGear(k % 2);
      auto* rear = new vel::CRearGear(&window_);
      rear->setFixedSize(121, 40);
      rear->SetGearCount(11);
      rear->SetSelectedGear(k);
      grid->addWidget(graph, 2 * (k / 5), k % 5, 1, 1);
      auto* gears = new QWidget(&window_);
      auto* row = new QHBoxLayout(gears);
      row->addWidget(front);
      row->addWidget(rear);
      grid->addWidget(gears, 2 * (k / 5) + 1, k % 5);
      graphs_.push_back(graph);
      gears_.push_back(front);
      gears_.push_back(rear);
    }
    window_.show();
    QApplication::processEvents();
  }

  // As in a class: every series took a sample since the last repaint. With
  // `oneSeries`, only the first did, and each graph is drawn whole.
  void RepaintGraphs(bool oneSeries = false) {
    ++step_;
    for (vel::CGraph* graph : graphs_) {
      for (int series = 0; series < (oneSeries ? 1 : 4); ++series) {
        graph->PushSample(series, Sample(series, step_));
      }
      graph->repaint();
    }
  }
  void RepaintGears() {
    for (QWidget* gear : gears_) gear->repaint();
  }

 private:
  static int Sample(int series, int i) {
    return 150 + static_cast<int>(120 * std::sin(i / (7.0 + series)));
  }

  QWidget window_;
  std::vector<vel::CGraph*> graphs_;
  int step_ = 4096;
  std::vector<QWidget*> gears_;
};

// The class screen at 1920 x 1080: ten tiles of 384 x 486 with every
// value shown, and the ranking across the top; it repaints once a second.
class ClassScreen {
 public:
  ClassScreen() {
    auto* grid = new QGridLayout(&window_);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    strip_ = new vel::CClassRankingStrip(&window_);
    strip_->setFixedSize(1920, 108);
    grid->addWidget(strip_, 0, 0, 1, 5);
    std::vector<vel::RankedRider> ranked;
    for (int k = 0; k < vel::kRiderPanels; ++k) {
      auto* tile = new vel::CClassTile(&window_);
      tile->setFixedSize(384, 486);
      vel::PanelTile shown;
      shown.seated = true;
      shown.name = "라이더" + std::to_string(k + 1);
      shown.heartRate = 140 + k;
      shown.heartRateZone = vel::ZoneReading{1 + k % 5, 70.0 + k};
      shown.power = 200 + 10 * k;
      shown.powerZone = vel::ZoneReading{1 + k % 7, 90.0 + k};
      shown.cadence = 90;
      shown.speed = 33.3;
      shown.distanceKm = 12.34;
      shown.kcal = 321;
      shown.ridingSeconds = 2700;
      tile->Show(shown);
      grid->addWidget(tile, 1 + k / 5, k % 5);
      tiles_.push_back(tile);
      ranked.push_back({k + 1, shown.name, 12.0 - k * 0.5, static_cast<std::size_t>(k)});
    }
    strip_->Show(ranked, vel::RankBy::kDistance);
    window_.show();
    QApplication::processEvents();
  }
  void Repaint() {
    strip_->repaint();
    for (QWidget* tile : tiles_) tile->repaint();
  }

 private:
  QWidget window_;
  vel::CClassRankingStrip* strip_;
  std::vector<QWidget*> tiles_;
};

// Made in main, after the application object and gone before it.
Room* g_room = nullptr;
ClassScreen* g_class = nullptr;

Room& TheRoom() { return *g_room; }

void BM_GraphRound(benchmark::State& state) {
  Room& room = TheRoom();
  for (auto _ : state) room.RepaintGraphs();
  state.SetLabel("10 graphs, 4 full series each, a sample each");
}
BENCHMARK(BM_GraphRound)->Unit(benchmark::kMicrosecond);

void BM_GraphRoundDrawnWhole(benchmark::State& state) {
  Room& room = TheRoom();
  for (auto _ : state) room.RepaintGraphs(true);
  state.SetLabel("the same, one series moved: every graph drawn whole");
}
BENCHMARK(BM_GraphRoundDrawnWhole)->Unit(benchmark::kMicrosecond);

void BM_GearRound(benchmark::State& state) {
  Room& room = TheRoom();
  for (auto _ : state) room.RepaintGears();
  state.SetLabel("20 gear indicators");
}
BENCHMARK(BM_GearRound)->Unit(benchmark::kMicrosecond);

void BM_OneSecondOfPainting(benchmark::State& state) {
  Room& room = TheRoom();
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    for (int i = 0; i < kGraphsPerSecond; ++i) room.RepaintGraphs();
    for (int i = 0; i < kGearsPerSecond; ++i) room.RepaintGears();
  }
  // One iteration is what one second of the room paints.
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  state.counters["core_percent"] = 100.0 * seconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OneSecondOfPainting)->Unit(benchmark::kMillisecond);

void BM_ClassScreenRound(benchmark::State& state) {
  for (auto _ : state) g_class->Repaint();
  state.SetLabel("10 tiles and the ranking at 1920 x 1080");
}
BENCHMARK(BM_ClassScreenRound)->Unit(benchmark::kMicrosecond);

// A second of the main window's painting with the class screen's beside it.
void BM_OneSecondWithTheClassScreen(benchmark::State& state) {
  Room& room = TheRoom();
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    for (int i = 0; i < kGraphsPerSecond; ++i) room.RepaintGraphs();
    for (int i = 0; i < kGearsPerSecond; ++i) room.RepaintGears();
    g_class->Repaint();
  }
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  state.counters["core_percent"] = 100.0 * seconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OneSecondWithTheClassScreen)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Room room;
  g_room = &room;
  ClassScreen screen;
  g_class = &screen;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
