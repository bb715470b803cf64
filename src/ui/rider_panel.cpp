#include "ui/rider_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "controls/object_names.h"
#include "ui/dialog_font.h"

namespace vel {

namespace {

constexpr int kFirstPanelId = 2000;
constexpr int kPanelIdStep = 100;

// Captions of the four sensor boxes, in box order.
constexpr std::array<const char*, kSensorBoxCount> kBoxCaptions = {"속도", "케이던스", "심박",
                                                                   "파워"};

QLabel* Label(const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  return label;
}

}  // namespace

void RiderPanel::SetSensorNews(SensorBox box, const std::string& news) {
  QCheckBox& shown = Box(box);
  const QString caption = QString::fromUtf8(kBoxCaptions[static_cast<std::size_t>(box)]);
  shown.setText(news.empty() ? caption : caption + QStringLiteral(" !"));
  shown.setToolTip(QString::fromStdString(news));
  QPalette colours = shown.palette();
  colours.setColor(QPalette::WindowText,
                   news.empty() ? palette().color(QPalette::WindowText) : QColor(220, 0, 0));
  shown.setPalette(colours);
}

int RiderPanel::ControlId(int panel, int offset) {
  // Panel 0 has the start button and the clock the other way round.
  if (panel == 0 && offset == kStartButton)
    offset = kClock;
  else if (panel == 0 && offset == kClock)
    offset = kStartButton;
  return kFirstPanelId + kPanelIdStep * panel + offset;
}

RiderPanel::RiderPanel(int panel, Actions actions, QWidget* parent)
    : QGroupBox(parent),
      panel_(panel),
      members_(new QComboBox(this)),
      graph_(new CGraph(this)),
      front_(new CFrontGear(this)),
      rear_(new CRearGear(this)),
      start_(new QToolButton(this)),
      clock_(new CCustomStatic(this)) {
  setObjectName(ControlObjectName(ControlId(panel, kFrame)));
  setFont(DialogFont());
  members_->setObjectName(ControlObjectName(ControlId(panel, kMemberList)));
  graph_->setObjectName(ControlObjectName(ControlId(panel, kGraph)));
  front_->setObjectName(ControlObjectName(ControlId(panel, kFrontGear)));
  rear_->setObjectName(ControlObjectName(ControlId(panel, kRearGear)));
  start_->setObjectName(ControlObjectName(ControlId(panel, kStartButton)));
  clock_->setObjectName(ControlObjectName(ControlId(panel, kClock)));
  start_->setText(QStringLiteral("▶"));
  start_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  members_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  members_->setMinimumContentsLength(6);

  for (int i = 0; i < kPanelValueCount; ++i) {
    auto* value = new CCustomStatic(this);
    value->setObjectName(ControlObjectName(ControlId(panel, kSpeedValue + i)));
    value->setMinimumHeight(16);
    value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    values_[std::size_t(i)] = value;
  }
  clock_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  int row = 0;
  auto* top = new QHBoxLayout;
  top->addWidget(members_, 1);
  top->addWidget(start_);
  top->addWidget(clock_, 1);
  layout->addLayout(top, row++, 0, 1, 3);

  // Two by two, so that a panel stays narrow enough for five in a row on
  // a small screen.
  auto* boxes = new QGridLayout;
  for (int i = 0; i < kSensorBoxCount; ++i) {
    auto* box = new QCheckBox(QString::fromUtf8(kBoxCaptions[std::size_t(i)]), this);
    box->setObjectName(ControlObjectName(ControlId(panel, kSpeedBox + i)));
    box->setEnabled(false);
    boxes_[std::size_t(i)] = box;
    boxes->addWidget(box, i / 2, i % 2);
    connect(box, &QCheckBox::clicked, this,
            [click = actions.clickBox, i] { click(static_cast<SensorBox>(i)); });
  }
  layout->addLayout(boxes, row++, 0, 1, 3);

  // Value rows: label, value, unit; a maximum on its own row under its
  // value, so that the values get the panel's whole width and can be read
  // from the bicycles.
  const auto valueRow = [&](const char* label, PanelValue value, const char* unit, int stretch) {
    layout->addWidget(Label(label, this), row, 0);
    layout->addWidget(&Value(value), row, 1);
    if (unit != nullptr) layout->addWidget(Label(unit, this), row, 2);
    layout->setRowStretch(row++, stretch);
  };
  constexpr int kValueStretch = 3;
  constexpr int kMaxStretch = 2;
  valueRow("속도 :", PanelValue::kSpeed, "km/h", kValueStretch);
  valueRow("MAX :", PanelValue::kMaxSpeed, nullptr, kMaxStretch);
  valueRow("케이던스 :", PanelValue::kCadence, "rpm", kValueStretch);
  valueRow("MAX :", PanelValue::kMaxCadence, nullptr, kMaxStretch);
  valueRow("심박 :", PanelValue::kHeartRate, "bpm", kValueStretch);
  valueRow("MAX :", PanelValue::kMaxHeartRate, nullptr, kMaxStretch);
  valueRow("이동거리 :", PanelValue::kDistance, "km", kValueStretch);
  valueRow("와트", PanelValue::kPower, "w", kValueStretch);

  auto* gears = new QHBoxLayout;
  gears->addWidget(Label("기어 :", this));
  gears->addWidget(front_, 1);
  gears->addWidget(rear_, 3);
  layout->addLayout(gears, row, 0, 1, 3);
  layout->setRowStretch(row++, 1);
  layout->addWidget(graph_, row, 0, 1, 3);
  layout->setRowStretch(row++, 12);
  layout->setColumnStretch(1, 1);

  connect(members_, &QComboBox::currentIndexChanged, this,
          [select = actions.selectMember](int index) {
            select(index < 0 ? std::nullopt : std::optional<int>(index));
          });
  connect(start_, &QToolButton::clicked, this, [click = actions.clickStart] { click(); });
}

CGearIndicator& RiderPanel::Gear(GearIndicator gear) {
  if (gear == GearIndicator::kFront) return *front_;
  return *rear_;
}

}  // namespace vel
