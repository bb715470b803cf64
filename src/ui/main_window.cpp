#include "ui/main_window.h"

#include <unistd.h>

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "controls/object_names.h"
#include "controls/windows_colour.h"
#include "ui/about_box.h"
#include "ui/dialog_font.h"
#include "ui/vel_icon.h"

namespace vel {

namespace {

constexpr int kPanelColumns = 5;
// The strip between the rows where the browser control stood: nothing was
// ever loaded into it, so a blank strip keeps the look without a browser.
constexpr int kStripHeight = 12;
constexpr int kShotPeriodMs = 10000;

// A member list item's data: the member id, the empty entry's all bits set.
QVariant MemberData(std::uint64_t memberId) { return QVariant::fromValue<qulonglong>(memberId); }

bool ListShows(const QComboBox& list, const std::vector<RiderLists::Entry>& entries) {
  if (list.count() != static_cast<int>(entries.size())) return false;
  for (int i = 0; i < list.count(); ++i) {
    const auto& entry = entries[std::size_t(i)];
    if (list.itemData(i).toULongLong() != entry.memberId ||
        list.itemText(i) != QString::fromStdString(entry.name)) {
      return false;
    }
  }
  return true;
}

}  // namespace

CVELDlg::CVELDlg(PacketSender& server, LoginValues& login, Options options, MessageBox* messages,
                 QWidget* parent)
    : QDialog(parent),
      options_(std::move(options)),
      ownMessages_(this),
      messages_(messages != nullptr ? *messages : ownMessages_),
      login_(login),
      log_(new CLogDlg(this)),
      roster_(server, messages_, riderLists_, login) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("VEL"));
  setWindowIcon(VelIcon());
  setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 0, 6, 6);
  layout->setMenuBar(BuildMenus());
  layout->addWidget(BuildPanels(), 1);

  board_ = std::make_unique<RiderBoard>(static_cast<RiderPanelView&>(*this), messages_, server,
                                        roster_, riderLists_, login_);
  // Without a stick the board says so and the window opens all the same.
  board_->OpenSticks(options_.sticks);

  team_ = new CMemberDlg(roster_, riderLists_, server, login_, messages, this);
  racing_ = new CRacingModeDlg(this);
  ranking_ = new CMemberRankingDlg(roster_, this);
  if (!options_.ridesFile.empty()) {
    // The writer opens the store on its own thread; the settings book reads
    // the riders' settings once, here.
    rides_ = std::make_unique<RideWriter>(options_.ridesFile);
    settings_ = std::make_unique<RiderSettingsBook>(options_.ridesFile);
    if (!settings_->Error().empty()) {
      PushLog("The riders' settings could not be read: " + settings_->Error());
    }
    board_->UseRiderSettings([this](std::uint64_t member) { return settings_->Get(member); });
    board_->RecordRidesTo(rides_.get());
    history_ = new CRideHistoryDlg(options_.ridesFile, messages_, {}, this);
    riderSettings_ = new CRiderSettingsDlg(roster_, *settings_, messages_, {}, this);
    classResults_ = new CClassResultsDlg(this);
    board_->OnClassOver([this](std::vector<ClassRide> rides) { ShowClassResults(rides); });
  }
  classScreen_ = new CClassScreen(
      *board_, [this] { ShowClassResults(board_->ClassSoFar()); }, this);
  ShowMemberLists();

  if (options_.seatTeam) SeatTeam();
  if (options_.classScreen) {
    // Once the main window is up, beside it (or on the second screen).
    QTimer::singleShot(0, this, [this] { OpenClassScreen(); });
  }

  const std::array<std::function<void()>, kTimerPeriodsMs.size()> steps = {
      [this] { board_->ClearStaleValues(); }, [this] { board_->UpdateClocks(); },
      [this] {
        board_->DrainEvents();
        ShowMemberLists();
      }};
  for (std::size_t id = 0; id < timers_.size(); ++id) {
    connect(&timers_[id], &QTimer::timeout, this, steps[id]);
    timers_[id].start(kTimerPeriodsMs[id]);
  }
  if (!options_.shotsFolder.empty()) {
    connect(&shots_, &QTimer::timeout, this, [this] { SaveShot(); });
    shots_.start(kShotPeriodMs);
  }
}

void CVELDlg::SaveShot() {
  const QString folder = QString::fromStdString(options_.shotsFolder);
  QDir().mkpath(folder);
  const QString file = QDir(folder).filePath(
      QStringLiteral("vel-%1.png")
          .arg(QDateTime::currentDateTime().toString(QStringLiteral("HHmmss"))));
  if (grab().save(file)) PushLog("picture of the window: " + file.toStdString());
  // The class screen too, while the studio sees it.
  if (classScreen_ != nullptr && classScreen_->isVisible()) {
    const QString screen = QDir(folder).filePath(
        QStringLiteral("class-screen-%1.png")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("HHmmss"))));
    if (classScreen_->grab().save(screen)) {
      PushLog("picture of the class screen: " + screen.toStdString());
    }
  }
}

CVELDlg::~CVELDlg() {
  shots_.stop();
  for (auto id : {2, 1, 0}) timers_[std::size_t(id)].stop();
  // Every stick's thread stops before its decoders go; their farewells
  // still find the log window.
  board_.reset();
  delete team_;
  delete log_;
  delete racing_;
  delete ranking_;
  delete history_;
  delete riderSettings_;
  delete classScreen_;
  delete classResults_;
  // The rides the board ended are stored before the writer goes.
  rides_.reset();
}

QMenuBar* CVELDlg::BuildMenus() {
  auto* bar = new QMenuBar(this);
  const auto item = [this](QMenu* menu, const char* text, int id, auto action) {
    QAction* added = menu->addAction(QString::fromUtf8(text), this, action);
    added->setObjectName(ControlObjectName(id));
  };
  QMenu* main = bar->addMenu(QStringLiteral("메뉴"));
  item(main, "팀관리", kTeamMenuId, [this] {
    team_->show();
    team_->raise();
  });
  item(main, "로그", kLogMenuId, [this] {
    log_->show();
    log_->raise();
  });
  item(main, "라이딩 기록", kRidesMenuId, [this] {
    if (history_ == nullptr) return;
    history_->show();
    history_->raise();
  });
  item(main, "라이더 설정", kRiderSettingsMenuId, [this] {
    if (riderSettings_ == nullptr) return;
    riderSettings_->show();
    riderSettings_->raise();
  });
  QMenu* mode = bar->addMenu(QStringLiteral("모드"));
  item(mode, "레이싱 모드", kRacingMenuId, [this] { messages_.Show("현재 준비중 입니다."); });
  item(mode, "클래스 화면", kClassScreenMenuId, [this] { OpenClassScreen(); });
  QMenu* ranking = bar->addMenu(QStringLiteral("랭킹"));
  item(ranking, "멤버랭킹", kRankingMenuId, [this] {
    ranking_->show();
    ranking_->raise();
  });
  // Where a Linux user looks for "about": the last menu of the bar.
  QMenu* help = bar->addMenu(QStringLiteral("도움말"));
  item(help, "VEL 정보(&A)...", kAboutMenuId, [this] { ShowAbout(); });
  return bar;
}

QWidget* CVELDlg::BuildPanels() {
  auto* area = new QWidget(this);
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  for (int panel = 0; panel < RiderBoard::kPanels; ++panel) {
    RiderPanel::Actions actions{
        [this, panel](std::optional<int> entry) { board_->SelectMember(panel, entry); },
        [this, panel](SensorBox box) { board_->ClickSensorBox(panel, box); },
        [this, panel] { board_->ClickStart(panel); }};
    auto* rider = new RiderPanel(panel, std::move(actions), area);
    panels_[std::size_t(panel)] = rider;
    const int row = panel / kPanelColumns == 0 ? 0 : 2;
    grid->addWidget(rider, row, panel % kPanelColumns);
  }
  auto* strip = new QWidget(area);
  strip->setObjectName(ControlObjectName(kStripId));
  strip->setFixedHeight(kStripHeight);
  grid->addWidget(strip, 1, 0, 1, kPanelColumns);
  for (int column = 0; column < kPanelColumns; ++column) grid->setColumnStretch(column, 1);
  grid->setRowStretch(0, 1);
  grid->setRowStretch(2, 1);
  return area;
}

void CVELDlg::ShowMemberLists() {
  for (int panel = 0; panel < RiderBoard::kPanels; ++panel) {
    QComboBox& list = Panel(panel).MemberList();
    const auto& entries = riderLists_.Entries(panel);
    if (!ListShows(list, entries)) {
      const QSignalBlocker quiet(list);
      list.clear();
      for (const auto& entry : entries) {
        list.addItem(QString::fromStdString(entry.name), MemberData(entry.memberId));
      }
    }
    SetMemberSelection(panel, riderLists_.Selection(panel));
  }
}

void CVELDlg::SeatTeam() {
  const int seated = board_->SeatTeam();
  for (int panel = 0; panel < seated; ++panel) board_->ClickStart(panel);
  ShowMemberLists();
}

void CVELDlg::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CVELDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CVELDlg::done(int result) {
  // Enter, Escape or a request to stop end the window as the caption does:
  // the class's results are kept first.
  board_->EndClass();
  QDialog::done(result);
}

void CVELDlg::closeEvent(QCloseEvent* event) {
  if (!isVisible()) {
    QDialog::closeEvent(event);
    return;
  }
  if (options_.onCaptionClose) {
    event->ignore();
    options_.onCaptionClose();
    return;
  }
  // The process ends at once: the rides under way are ended and stored
  // first, so none of them has to be recovered at the next start, and the
  // class's results are kept as a picture.
  board_->EndClass();
  if (rides_) rides_->Flush();
  _exit(0);
}

int CVELDlg::AddSeries(int panel, std::uint32_t colour) {
  return Panel(panel).Graph().AddSeries(colour);
}

void CVELDlg::RemoveSeries(int panel, int series) { Panel(panel).Graph().RemoveSeries(series); }

void CVELDlg::SetValueText(int panel, PanelValue value, const std::string& text) {
  Panel(panel).Value(value).SetText(QString::fromStdString(text));
}

void CVELDlg::PushSample(int panel, int series, int value) {
  Panel(panel).Graph().PushSample(series, value);
}

void CVELDlg::SetGearCount(int panel, GearIndicator gear, int count) {
  Panel(panel).Gear(gear).SetGearCount(count);
}

void CVELDlg::SetSelectedGear(int panel, GearIndicator gear, int index) {
  Panel(panel).Gear(gear).SetSelectedGear(index);
}

void CVELDlg::SetSensorBox(int panel, SensorBox box, bool checked, bool enabled) {
  QCheckBox& control = Panel(panel).Box(box);
  const QSignalBlocker quiet(control);
  control.setChecked(checked);
  control.setEnabled(enabled);
}

void CVELDlg::SetStartButton(int panel, const std::string& text, bool enabled) {
  QToolButton& button = Panel(panel).StartButton();
  button.setText(QString::fromStdString(text));
  button.setEnabled(enabled);
}

void CVELDlg::SetClockText(int panel, const std::string& text) {
  Panel(panel).Clock().SetText(QString::fromStdString(text));
}

void CVELDlg::SetGroupCaption(int panel, const std::string& text) {
  Panel(panel).setTitle(QString::fromStdString(text));
}

void CVELDlg::OpenClassScreen() {
  if (!classScreen_->isVisible()) classScreen_->PlaceOnSecondScreen();
  classScreen_->show();
  classScreen_->raise();
}

void CVELDlg::ShowClassResults(const std::vector<ClassRide>& rides) {
  if (classResults_ == nullptr || rides.empty()) return;
  const std::int64_t now = SystemWallClockMs();
  const std::filesystem::path folder = options_.ridesFile.has_parent_path()
                                           ? options_.ridesFile.parent_path()
                                           : std::filesystem::path(".");
  const QImage picture = classResults_->ShowResults(
      MakeClassResults(rides, classScreen_->RankedBy(), now), folder, now);
  classScreen_->ShowResults(picture);
}

void CVELDlg::SetBattery(int panel, SensorBox sensor, BatteryLevel level) {
  battery_[static_cast<std::size_t>(panel)][static_cast<std::size_t>(sensor)] = level;
  ShowSensorNews(panel, sensor);
}

void CVELDlg::SetSignal(int panel, SensorBox sensor, bool lost) {
  silent_[static_cast<std::size_t>(panel)][static_cast<std::size_t>(sensor)] = lost;
  ShowSensorNews(panel, sensor);
}

void CVELDlg::ShowSensorNews(int panel, SensorBox sensor) {
  const auto k = static_cast<std::size_t>(sensor);
  const BatteryLevel level = battery_[static_cast<std::size_t>(panel)][k];
  std::string news;
  if (silent_[static_cast<std::size_t>(panel)][k]) news = "신호 없음";
  if (level == BatteryLevel::kCritical) news = "배터리 교체";
  if (level == BatteryLevel::kLow && news.empty()) news = "배터리 부족";
  Panel(panel).SetSensorNews(sensor, news);
}

void CVELDlg::SetMemberSelection(int panel, std::optional<int> index) {
  QComboBox& list = Panel(panel).MemberList();
  const int shown = index.value_or(-1);
  if (list.currentIndex() == shown) return;
  const QSignalBlocker quiet(list);
  list.setCurrentIndex(shown);
}

}  // namespace vel
