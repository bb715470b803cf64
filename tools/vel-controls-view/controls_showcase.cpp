#include "controls_showcase.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "ant/sim/room_table.h"
#include "common/queues.h"
#include "common/string_printf.h"
#include "sensors/sensor_kinds.h"

namespace vel {
namespace {

// The bicycle of the showcase's rider: chainrings and sprockets largest
// first, as the team window lists them.
const std::vector<int> kChainrings{50, 34};
const std::vector<int> kSprockets{25, 23, 21, 19, 18, 17, 16, 15, 14, 13, 12};
constexpr int kCrankPosition = 1;

int Sample(double value) { return static_cast<int>(std::clamp(value, 0.0, 9999.0)); }

QLabel* Label(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

}  // namespace

ControlsShowcase::ControlsShowcase()
    : rider_(sim::RiderTraitsFor(1)),
      log_(new CLogDlg(this)),
      caption_(new CCustomStatic(this)),
      speed_(new CCustomStatic(this)),
      maxSpeed_(new CCustomStatic(this)),
      graph_(new CGraph(this)),
      front_(new CFrontGear(this)),
      rear_(new CRearGear(this)),
      sensors_(new CColorListBox(CColorListBox::Order::kByText, this)) {
  setWindowTitle(QStringLiteral("vel-controls-view"));
  caption_->setFixedSize(240, 40);
  caption_->SetText(QStringLiteral("라이더1"));
  speed_->setFixedSize(120, 32);
  maxSpeed_->setFixedSize(120, 32);
  graph_->setFixedSize(380, 220);
  front_->setFixedSize(40, 40);
  rear_->setFixedSize(121, 40);
  sensors_->setFixedSize(160, 90);

  auto* grid = new QGridLayout(this);
  grid->addWidget(caption_, 0, 0, 1, 4);
  grid->addWidget(Label("속도 :", this), 1, 0);
  grid->addWidget(speed_, 1, 1);
  grid->addWidget(Label("km/h", this), 1, 2);
  grid->addWidget(Label("MAX :", this), 2, 0);
  grid->addWidget(maxSpeed_, 2, 1);
  grid->addWidget(graph_, 3, 0, 1, 4);
  grid->addWidget(Label("기어 :", this), 4, 0);
  grid->addWidget(front_, 4, 1, Qt::AlignRight);
  grid->addWidget(rear_, 4, 2, 1, 2, Qt::AlignLeft);
  grid->addWidget(sensors_, 5, 0, 1, 4);

  speedSeries_ = graph_->AddSeries(series_colour::kSpeed);
  cadenceSeries_ = graph_->AddSeries(series_colour::kCadence);
  heartRateSeries_ = graph_->AddSeries(series_colour::kHeartRate);
  powerSeries_ = graph_->AddSeries(series_colour::kPower);
  front_->SetGearCount(static_cast<int>(kChainrings.size()));
  rear_->SetGearCount(static_cast<int>(kSprockets.size()));

  // A heart-rate sensor list of the team window: the active strap red.
  sensors_->AddEntry(QStringLiteral("12001"), 255);
  sensors_->AddEntry(QStringLiteral("9001"), 0);
  sensors_->AddEntry(QStringLiteral("12003"), 0);
  sensors_->setCurrentRow(0);
}

void ControlsShowcase::Ride(int seconds) {
  for (int i = 0; i < seconds; ++i) RideOneSecond();
  log_->DrainLog();
}

void ControlsShowcase::RideLive() {
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this] { RideOneSecond(); });
  timer->start(250);
  show();
  log_->show();
}

void ControlsShowcase::RideOneSecond() {
  ++seconds_;
  rider_.AdvanceTo(seconds_ * sim::kTicksPerSecond);
  const sim::RiderState& state = rider_.State();
  const double speedKmh = state.speedMps * 3.6;
  graph_->PushSample(speedSeries_, Sample(speedKmh));
  graph_->PushSample(cadenceSeries_, Sample(state.cadenceRpm));
  graph_->PushSample(heartRateSeries_, Sample(state.heartRateBpm));
  graph_->PushSample(powerSeries_, Sample(state.powerW));

  speed_->SetText(QString::fromStdString(StringPrintf("%5.1f", speedKmh)));
  if (speedKmh > maxSpeedKmh_) {
    maxSpeedKmh_ = speedKmh;
    maxSpeed_->SetText(QString::fromStdString(StringPrintf("%5.1f", speedKmh)));
  }
  const auto gear =
      EstimateGear(gearRatios_, kCrankPosition, kChainrings, kSprockets,
                   ObservedRatio(speedKmh, state.cadenceRpm, rider_.Traits().wheelCircumferenceM));
  front_->SetSelectedGear(gear ? gear->first : -1);
  rear_->SetSelectedGear(gear ? gear->second : -1);

  if (seconds_ % 60 == 0) {
    PushLog(StringPrintf("rider 1 at %llu s: %.1f km/h, %.0f rpm, %.0f bpm, %.0f w",
                         static_cast<unsigned long long>(seconds_), speedKmh, state.cadenceRpm,
                         state.heartRateBpm, state.powerW));
  }
}

bool ControlsShowcase::Grab(const QString& folder, QString& error) {
  show();
  log_->show();
  log_->DrainLog();
  const std::pair<QWidget*, const char*> shots[] = {
      {this, "showcase"},   {graph_, "graph"},         {front_, "front_gear"},
      {rear_, "rear_gear"}, {speed_, "custom_static"}, {sensors_, "color_list_box"},
      {log_, "log_window"}};
  if (!QDir().mkpath(folder)) {
    error = QStringLiteral("cannot make the folder '%1'").arg(folder);
    return false;
  }
  for (const auto& [widget, name] : shots) {
    const QString path = QDir(folder).filePath(QString::fromUtf8(name) + QStringLiteral(".png"));
    if (!widget->grab().toImage().save(path)) {
      error = QStringLiteral("cannot write '%1'").arg(path);
      return false;
    }
  }
  return true;
}

}  // namespace vel
