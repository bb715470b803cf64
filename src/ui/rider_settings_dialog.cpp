#include "ui/rider_settings_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "controls/object_names.h"
#include "ui/dialog_font.h"

namespace vel {
namespace {

template <typename W>
W* Named(W* widget, int id) {
  widget->setObjectName(ControlObjectName(id));
  return widget;
}

std::optional<int> Number(const QLineEdit* edit) {
  bool ok = false;
  const int value = edit->text().toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

QString Text(const std::optional<int>& value) {
  return value ? QString::number(*value) : QString();
}

}  // namespace

CRiderSettingsDlg::CRiderSettingsDlg(const TeamRoster& roster, RiderSettingsBook& book,
                                     MessageBox& messages, std::function<void()> saved,
                                     QWidget* parent)
    : QDialog(parent), roster_(roster), book_(book), messages_(messages), saved_(std::move(saved)) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("라이더 설정"));
  setModal(false);
  setFont(DialogFont());
  member_ = Named(new QComboBox(this), kMemberId);
  member_->setMinimumContentsLength(12);
  maxHeartRate_ = Named(new DigitEdit(3, this), kMaxHeartRateId);
  ftp_ = Named(new DigitEdit(4, this), kFtpId);
  birthYear_ = Named(new DigitEdit(4, this), kBirthYearId);
  estimate_ = Named(new QLabel(this), kEstimateId);
  auto* save = Named(new QPushButton(QStringLiteral("저장"), this), kSaveId);
  save->setAutoDefault(false);

  auto* grid = new QGridLayout;
  int row = 0;
  const auto line = [&](const char* label, QWidget* field, const char* unit) {
    grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(unit), this), row++, 2);
  };
  grid->addWidget(new QLabel(QStringLiteral("멤버 :"), this), row, 0);
  grid->addWidget(member_, row++, 1, 1, 2);
  line("최대 심박 :", maxHeartRate_, "bpm");
  line("FTP :", ftp_, "W");
  line("태어난 해 :", birthYear_, "년");
  grid->addWidget(estimate_, row++, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(member_, &QComboBox::currentIndexChanged, this, [this] { ShowSettings(); });
  for (QLineEdit* edit :
       {static_cast<QLineEdit*>(maxHeartRate_), static_cast<QLineEdit*>(birthYear_)}) {
    connect(edit, &QLineEdit::textChanged, this, [this] { ShowEstimate(); });
  }
  connect(save, &QPushButton::clicked, this, [this] { Save(); });
  ShowMembers();
}

void CRiderSettingsDlg::showEvent(QShowEvent* event) {
  ShowMembers();
  QDialog::showEvent(event);
}

void CRiderSettingsDlg::ShowMembers() {
  const QVariant chosen = member_->currentData();
  {
    const QSignalBlocker quiet(member_);
    member_->clear();
    for (const MemberRecord* member : roster_.Members()) {
      member_->addItem(QString::fromStdString(member->name),
                       QVariant::fromValue<qulonglong>(member->id));
    }
    const int again = chosen.isValid() ? member_->findData(chosen) : 0;
    member_->setCurrentIndex(std::max(0, again));
  }
  ShowSettings();
}

void CRiderSettingsDlg::ShowSettings() {
  const QVariant member = member_->currentData();
  const RiderSettings settings =
      member.isValid() ? book_.Get(member.toULongLong()) : RiderSettings{};
  maxHeartRate_->setText(Text(settings.maxHeartRate));
  ftp_->setText(Text(settings.ftp));
  birthYear_->setText(Text(settings.birthYear));
  ShowEstimate();
}

RiderSettings CRiderSettingsDlg::Typed() const {
  return {Number(maxHeartRate_), Number(ftp_), Number(birthYear_)};
}

void CRiderSettingsDlg::ShowEstimate() {
  const RiderSettings typed = Typed();
  const auto max = EffectiveMaxHeartRate(typed, ThisYear());
  if (max && max->estimated) {
    estimate_->setText(QStringLiteral("추정 최대 심박: %1 bpm (208 - 0.7 × 나이)").arg(max->bpm));
  } else if (!max) {
    estimate_->setText(QStringLiteral("최대 심박이 없으면 심박 존을 쓰지 않습니다."));
  } else {
    estimate_->setText(QString());
  }
}

void CRiderSettingsDlg::Save() {
  const QVariant member = member_->currentData();
  if (!member.isValid()) return;
  const std::string refused = book_.Set(member.toULongLong(), Typed());
  if (!refused.empty()) {
    messages_.Show(refused);
    return;
  }
  messages_.Show("저장했습니다.");
  if (saved_) saved_();
}

}  // namespace vel
