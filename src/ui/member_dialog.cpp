#include "ui/member_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <type_traits>

#include "controls/object_names.h"
#include "sensors/sensor_kinds.h"
#include "team/gear_lists.h"
#include "ui/dialog_font.h"

namespace vel {
namespace {

// Where an entry of the member, sensor and bicycle lists keeps its id.
constexpr int kIdRole = CColorListBox::kUserRole;

std::optional<std::uint64_t> SelectedId(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return selected.first()->data(kIdRole).toULongLong();
}

// Selects the entry with that id, if there is one; no selection otherwise.
void SelectId(QListWidget* list, std::optional<std::uint64_t> id) {
  list->clearSelection();
  for (int row = 0; id && row < list->count(); ++row) {
    if (list->item(row)->data(kIdRole).toULongLong() == *id) {
      list->setCurrentRow(row);
      return;
    }
  }
}

void Fill(CColorListBox* list, const ColourList& entries) {
  const QSignalBlocker quiet(list);
  const std::optional<std::uint64_t> selected = SelectedId(list);
  list->clear();
  for (const ColourList::Entry& e : entries.Entries()) {
    list->AddEntry(QString::fromStdString(e.text), e.colour)
        ->setData(kIdRole, QVariant::fromValue(e.id));
  }
  SelectId(list, selected);
}

// A control named by its resource id. Buttons never take Enter: the window
// has no default action.
template <typename Control>
Control* Named(Control* control, int id) {
  control->setObjectName(ControlObjectName(id));
  if constexpr (std::is_base_of_v<QPushButton, Control>) control->setAutoDefault(false);
  return control;
}

QLabel* Label(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

// A height or weight: "label whole . tenths unit" on one row of a grid.
void AddMeasureRow(QGridLayout* grid, int row, const char* label, DigitEdit* whole,
                   DigitEdit* tenths, const char* unit) {
  QWidget* parent = grid->parentWidget();
  grid->addWidget(Label(label, parent), row, 0);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(whole);
  boxes->addWidget(Label(".", parent));
  boxes->addWidget(tenths);
  boxes->addWidget(Label(unit, parent));
  boxes->addStretch(1);
  grid->addLayout(boxes, row, 1);
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

MemberForm::WholeAndTenths Boxes(const QLineEdit* whole, const QLineEdit* tenths) {
  return {Text(whole), Text(tenths)};
}

void Show(const MemberForm::WholeAndTenths& value, QLineEdit* whole, QLineEdit* tenths) {
  whole->setText(QString::fromStdString(value.whole));
  tenths->setText(QString::fromStdString(value.tenths));
}

}  // namespace

const std::array<SensorGroupBox::Setup, 5> CMemberDlg::kSensorGroups = {{
    {device_type::kBikeSpeed, "속도 센서 리스트", 1004, 1022, 1013, 1009, 1018},
    {device_type::kBikeCadence, "케이던스 센서 리스트", 1005, 1024, 1014, 1010, 1020},
    {device_type::kHeartRate, "심박 센서 리스트", 1003, 1023, 1012, 1008, 1019},
    {device_type::kBikeSpeedCadence, "콤보 센서( 속도 + 케이던스 ) 리스트", 1006, 1025, 1015, 1011,
     1021},
    {device_type::kBikePower, "파워미터 센서( 와트 + 케이던스 ) 리스트", 1028, 1032, 1030, 1029,
     1031},
}};

CMemberDlg::CMemberDlg(TeamRoster& roster, RiderLists& riderLists, PacketSender& server,
                       LoginValues& login, MessageBox* messages, QWidget* parent)
    : QDialog(parent),
      ownMessages_(this),
      roster_(roster),
      form_(roster, riderLists, messages != nullptr ? *messages : ownMessages_),
      nameForm_(server, messages != nullptr ? *messages : ownMessages_, login,
                TeamNameRequests::From::kTeamWindow),
      nameRow_(new TeamNameRow(nameForm_,
                               {kTeamNameId, kCheckNameId, kEditNameAgainId, kChangeNameId},
                               QStringLiteral("팀네임 변경"), this)) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("팀관리"));
  setModal(false);
  setFont(DialogFont());
  nameRow_->Edit()->setText(QString::fromStdString(login.teamName));
  connect(nameRow_->SendButton(), &QPushButton::clicked, this, [this] { nameRow_->Send(); });

  auto* nameLine = new QHBoxLayout;
  nameLine->addWidget(Label("팀네임 :", this));
  nameLine->addWidget(nameRow_);
  nameLine->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addWidget(BuildMembers());
  columns->addWidget(BuildSensors(), 1);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildBody());
  right->addWidget(BuildBicycles(), 1);
  columns->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nameLine);
  layout->addLayout(columns, 1);

  FillFixedLists();
  form_.Load();
  ShowMembers();
  ShowSensors();
  ShowBicycles();
}

CMemberDlg::~CMemberDlg() {
  // Qt deletes the lists after this window's own members are gone; a
  // selection change they report meanwhile must not reach the form.
  disconnect(members_, nullptr, this, nullptr);
  disconnect(bicycles_, nullptr, this, nullptr);
}

QWidget* CMemberDlg::BuildMembers() {
  auto* group = new QGroupBox(QStringLiteral("멤버"), this);
  members_ = Named(new QListWidget(group), kMembersId);
  memberName_ = Named(new QLineEdit(group), kMemberNameId);
  addMember_ = Named(new QPushButton(QStringLiteral("추가"), group), kAddMemberId);
  deleteMember_ = Named(new QPushButton(QStringLiteral("삭제"), group), kDeleteMemberId);
  auto* grid = new QGridLayout(group);
  grid->addWidget(members_, 0, 0, 1, 2);
  grid->addWidget(memberName_, 1, 0, 1, 2);
  grid->addWidget(addMember_, 2, 0);
  grid->addWidget(deleteMember_, 2, 1);
  connect(members_, &QListWidget::itemSelectionChanged, this, &CMemberDlg::ShowSelectedMember);
  connect(addMember_, &QPushButton::clicked, this, [this] {
    form_.AddMember(Text(memberName_));
    ShowMembers();
  });
  connect(deleteMember_, &QPushButton::clicked, this, &CMemberDlg::DeleteMember);
  return group;
}

QWidget* CMemberDlg::BuildSensors() {
  auto* sensors = new QWidget(this);
  auto* grid = new QGridLayout(sensors);
  grid->setContentsMargins(0, 0, 0, 0);
  constexpr int kGroupsPerRow = 2;
  for (std::size_t i = 0; i < kSensorGroups.size(); ++i) {
    auto* group = new SensorGroupBox(kSensorGroups[i], sensors);
    sensorGroups_[i] = group;
    const int index = static_cast<int>(i);
    grid->addWidget(group, index / kGroupsPerRow, index % kGroupsPerRow);
    const std::int32_t type = group->DeviceType();
    connect(group->Add(), &QPushButton::clicked, this, [this, group, type] {
      form_.AddSensor(type, Text(group->Number()));
      ShowSensors();
    });
    connect(group->Remove(), &QPushButton::clicked, this, [this, group, type] {
      form_.DeleteSensor(type, SelectedId(group->List()));
      ShowSensors();
    });
    connect(group->Activate(), &QPushButton::clicked, this, [this, group, type] {
      form_.ToggleSensor(type, SelectedId(group->List()));
      ShowSensors();
    });
  }
  return sensors;
}

QWidget* CMemberDlg::BuildBody() {
  auto* group = new QGroupBox(QStringLiteral("신체정보"), this);
  height_ = Named(new DigitEdit(4, group), kHeightId);
  heightTenths_ = Named(new DigitEdit(1, group), kHeightTenthsId);
  weight_ = Named(new DigitEdit(4, group), kWeightId);
  weightTenths_ = Named(new DigitEdit(1, group), kWeightTenthsId);
  gender_ = Named(new QComboBox(group), kGenderId);
  saveBody_ = Named(new QPushButton(QStringLiteral("입력"), group), kSaveBodyId);
  auto* grid = new QGridLayout(group);
  AddMeasureRow(grid, 0, "키 :", height_, heightTenths_, "cm");
  AddMeasureRow(grid, 1, "몸무게 :", weight_, weightTenths_, "kg");
  grid->addWidget(Label("성별 :", group), 2, 0);
  grid->addWidget(gender_, 2, 1);
  grid->addWidget(saveBody_, 3, 1, Qt::AlignRight);
  connect(saveBody_, &QPushButton::clicked, this, &CMemberDlg::SaveBody);
  return group;
}

QWidget* CMemberDlg::BuildBicycles() {
  auto* group = new QGroupBox(QStringLiteral("자전거정보"), this);
  bicycles_ = Named(new CColorListBox(CColorListBox::Order::kAsAdded, group), kBicyclesId);
  activateBicycle_ = Named(new QPushButton(QStringLiteral("활성화"), group), kActivateBicycleId);
  addBicycle_ = Named(new QPushButton(QStringLiteral("추가"), group), kAddBicycleId);
  deleteBicycle_ = Named(new QPushButton(QStringLiteral("삭제"), group), kDeleteBicycleId);
  bicycleName_ = Named(new QLineEdit(group), kBicycleNameId);
  bicycleWeight_ = Named(new DigitEdit(4, group), kBicycleWeightId);
  bicycleWeightTenths_ = Named(new DigitEdit(1, group), kBicycleWeightTenthsId);
  crank_ = Named(new QComboBox(group), kCrankId);
  cassette_ = Named(new QComboBox(group), kCassetteId);
  tire_ = Named(new QComboBox(group), kTireId);
  auto* grid = new QGridLayout(group);
  grid->addWidget(bicycles_, 0, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {activateBicycle_, addBicycle_, deleteBicycle_}) {
    buttons->addWidget(button);
  }
  grid->addLayout(buttons, 1, 0, 1, 2);
  grid->addWidget(bicycleName_, 2, 0, 1, 2);
  AddMeasureRow(grid, 3, "무게 :", bicycleWeight_, bicycleWeightTenths_, "kg");
  grid->addWidget(Label("크랭크 :", group), 4, 0);
  grid->addWidget(crank_, 4, 1);
  grid->addWidget(Label("스프라켓 :", group), 5, 0);
  grid->addWidget(cassette_, 5, 1);
  grid->addWidget(Label("타이어규격 :", group), 6, 0);
  grid->addWidget(tire_, 6, 1);
  connect(bicycles_, &QListWidget::itemSelectionChanged, this, &CMemberDlg::ShowSelectedBicycle);
  connect(activateBicycle_, &QPushButton::clicked, this, [this] {
    form_.ToggleBicycle(SelectedId(bicycles_));
    ShowBicycles();
  });
  connect(addBicycle_, &QPushButton::clicked, this, &CMemberDlg::AddBicycle);
  connect(deleteBicycle_, &QPushButton::clicked, this, [this] {
    form_.DeleteBicycle(SelectedId(bicycles_));
    ShowBicycles();
  });
  return group;
}

void CMemberDlg::FillFixedLists() {
  for (const std::string& text : GenderList()) gender_->addItem(QString::fromStdString(text));
  for (const ChainringEntry& e : ChainringList()) crank_->addItem(QString::fromStdString(e.text));
  for (const CassetteEntry& e : CassetteList()) cassette_->addItem(QString::fromStdString(e.text));
  for (const TireEntry& e : TireList()) tire_->addItem(QString::fromStdString(e.text));
}

void CMemberDlg::ShowMembers() {
  {
    const QSignalBlocker quiet(members_);
    members_->clear();
    for (const MemberRecord* member : roster_.Members()) {
      auto* item = new QListWidgetItem(QString::fromStdString(member->name), members_);
      item->setData(kIdRole, QVariant::fromValue(member->id));
    }
    SelectId(members_, roster_.SelectedMember());
  }
  deleteMember_->setEnabled(form_.CanDeleteMember());
}

void CMemberDlg::ShowSensors() {
  for (SensorGroupBox* group : sensorGroups_) {
    Fill(group->List(), roster_.SensorList(group->DeviceType()));
    const bool entries = form_.CanChangeSensors(group->DeviceType());
    group->Remove()->setEnabled(entries);
    group->Activate()->setEnabled(entries);
  }
}

void CMemberDlg::ShowBicycles() {
  Fill(bicycles_, roster_.BicycleList());
  activateBicycle_->setEnabled(form_.CanChangeBicycles());
  deleteBicycle_->setEnabled(form_.CanChangeBicycles());
}

void CMemberDlg::ClearMemberBoxes() {
  memberName_->clear();
  for (SensorGroupBox* group : sensorGroups_) group->Number()->clear();
  for (QLineEdit* box :
       {height_, heightTenths_, weight_, weightTenths_, bicycleWeight_, bicycleWeightTenths_}) {
    box->clear();
  }
  for (QComboBox* list : {gender_, crank_, cassette_, tire_}) list->setCurrentIndex(0);
  bicycleName_->clear();
}

void CMemberDlg::ShowSelectedMember() {
  const MemberForm::BodyShown body = form_.ShowMember(SelectedId(members_));
  ClearMemberBoxes();
  Show(body.height, height_, heightTenths_);
  Show(body.weight, weight_, weightTenths_);
  gender_->setCurrentIndex(body.gender);
  ShowSensors();
  ShowBicycles();
}

void CMemberDlg::ShowSelectedBicycle() {
  const MemberForm::BicycleShown bicycle = form_.ShowBicycle(SelectedId(bicycles_));
  bicycleName_->clear();
  Show(bicycle.weight, bicycleWeight_, bicycleWeightTenths_);
  crank_->setCurrentIndex(bicycle.crank);
  cassette_->setCurrentIndex(bicycle.cassette);
  tire_->setCurrentIndex(bicycle.tire);
}

void CMemberDlg::DeleteMember() {
  if (!form_.DeleteMember()) return;
  ClearMemberBoxes();
  ShowMembers();
  ShowSensors();
  ShowBicycles();
}

void CMemberDlg::SaveBody() {
  const int gender = gender_->currentIndex();
  form_.SaveBody(Boxes(height_, heightTenths_), Boxes(weight_, weightTenths_),
                 gender >= 0 ? std::optional<std::int32_t>(gender) : std::nullopt);
}

void CMemberDlg::AddBicycle() {
  form_.AddBicycle(Text(bicycleName_), Boxes(bicycleWeight_, bicycleWeightTenths_),
                   crank_->currentIndex(), cassette_->currentIndex(), tire_->currentIndex());
  ShowBicycles();
}

}  // namespace vel
