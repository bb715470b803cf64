#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "common/message_box.h"
#include "rides/rider_settings_book.h"
#include "team/team_roster.h"
#include "ui/digit_edit.h"

namespace vel {

// "라이더 설정": a rider's maximum heart rate, FTP and year of birth, which
// the team's roster does not hold; kept on this computer. Without a
// maximum, the year of birth gives an estimate (208 - 0.7 x age), which the
// window says. The main window makes it once, hidden.
class CRiderSettingsDlg : public QDialog {
 public:
  static constexpr int kResourceId = 143;
  static constexpr int kMemberId = 1451;
  static constexpr int kMaxHeartRateId = 1452;
  static constexpr int kFtpId = 1453;
  static constexpr int kBirthYearId = 1454;
  static constexpr int kEstimateId = 1455;
  static constexpr int kSaveId = 1456;

  // `saved`: told after settings were kept (the board shows the zones anew).
  CRiderSettingsDlg(const TeamRoster& roster, RiderSettingsBook& book, MessageBox& messages,
                    std::function<void()> saved, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowMembers();
  void ShowSettings();
  void ShowEstimate();
  void Save();
  RiderSettings Typed() const;

  const TeamRoster& roster_;
  RiderSettingsBook& book_;
  MessageBox& messages_;
  std::function<void()> saved_;
  QComboBox* member_;
  DigitEdit* maxHeartRate_;
  DigitEdit* ftp_;
  DigitEdit* birthYear_;
  QLabel* estimate_;
};

}  // namespace vel
