#include "ui/rider_settings_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/board_rig.h"
#include "support/scratch_folder.h"
#include "ui/window_controls.h"

namespace vel {
namespace {

using test::ControlOf;

class RiderSettingsDialogTest : public ::testing::Test, protected test::BoardRig {
 protected:
  RiderSettingsDialogTest() {
    LoadTeam({test::MemberJson(5, "라이더1", "[]"), test::MemberJson(6, "라이더2", "[]")});
  }
  void Type(int id, const QString& text) { ControlOf<QLineEdit>(*window_, id)->setText(text); }

  test::ScratchFolder folder_;
  RiderSettingsBook book_{folder_ / kRideStoreFile};
  int saved_ = 0;
  std::unique_ptr<CRiderSettingsDlg> window_ =
      std::make_unique<CRiderSettingsDlg>(roster, book_, messages, [this] { ++saved_; });
};

TEST_F(RiderSettingsDialogTest, SettingsAreKeptPerMemberWithTheEstimateSaidAndBadValuesStopped) {
  window_->show();
  auto* member = ControlOf<QComboBox>(*window_, CRiderSettingsDlg::kMemberId);
  ASSERT_EQ(member->count(), 2);
  member->setCurrentIndex(1);
  Type(CRiderSettingsDlg::kFtpId, QStringLiteral("250"));
  Type(CRiderSettingsDlg::kBirthYearId, QString::number(ThisYear() - 36));
  // 208 - 0.7 x 36 = 182.8
  EXPECT_EQ(ControlOf<QLabel>(*window_, CRiderSettingsDlg::kEstimateId)->text(),
            QStringLiteral("추정 최대 심박: 183 bpm (208 - 0.7 × 나이)"));
  test::Shoot(*window_, QStringLiteral("rider_settings_dialog.png"));
  test::Click(*window_, CRiderSettingsDlg::kSaveId);
  EXPECT_EQ(saved_, 1);
  EXPECT_EQ(book_.Get(6).ftp, 250);
  EXPECT_FALSE(book_.Get(5).ftp) << "only the chosen member's";
  EXPECT_EQ(RiderSettingsBook(folder_ / kRideStoreFile).Get(6).birthYear, ThisYear() - 36)
      << "kept in the store";

  Type(CRiderSettingsDlg::kMaxHeartRateId, QStringLiteral("50"));
  test::Click(*window_, CRiderSettingsDlg::kSaveId);
  EXPECT_EQ(messages.Texts().back(), "최대 심박은 100에서 240 사이로 입력해 주세요.");
  EXPECT_EQ(saved_, 1);
  EXPECT_FALSE(book_.Get(6).maxHeartRate);
}

}  // namespace
}  // namespace vel
