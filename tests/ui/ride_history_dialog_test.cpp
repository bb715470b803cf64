// "라이딩 기록" on a ride store made here: the list, a ride's summary and
// graph, export and deletion, clicked through; the window saved as a
// picture to be looked at by eye.
#include "ui/ride_history_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "rides/ride_store.h"
#include "support/recording_message_box.h"
#include "support/scratch_folder.h"
#include "ui/window_controls.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::ControlOf;
using ::testing::HasSubstr;

// Half an hour of riding with a pause: intervals of power, heart rate that
// follows them, a strap lost for a minute.
void RideInto(RideStore& store, RideRecorder::Handle handle, std::uint64_t member,
              const std::string& name, std::int64_t startUtcMs) {
  std::vector<RideChange> changes;
  RideChange begin;
  begin.kind = RideChange::Kind::kBegin;
  begin.ride = handle;
  begin.start = {member, name, startUtcMs, {72.0, 1, 35, 185, 250}};
  changes.push_back(begin);
  double km = 0;
  for (int second = 0; second < 1800; ++second) {
    if (second == 900) changes.push_back({RideChange::Kind::kPause, handle, {}, {}, 900'000});
    if (second >= 900 && second < 960) continue;
    if (second == 960) changes.push_back({RideChange::Kind::kResume, handle, {}, {}, 960'000});
    const double effort = std::sin(second / 90.0);
    RideChange sample;
    sample.ride = handle;
    sample.sample.offsetMs = second * 1000;
    sample.sample.power = static_cast<int>(200 + 80 * effort);
    sample.sample.speed = 30 + 6 * effort;
    sample.sample.cadence = static_cast<int>(88 + 8 * effort);
    if (second < 1200 || second > 1260)
      sample.sample.heartRate = static_cast<int>(140 + 20 * effort);
    km += *sample.sample.speed / 3600;
    sample.sample.distance = km;
    changes.push_back(sample);
  }
  changes.push_back({RideChange::Kind::kEnd, handle, {}, {}, 1'800'000});
  store.Apply(changes);
}

TEST(RideHistoryDialogTest, ListSummaryExportAndDeleteThroughTheWindow) {
  const test::ScratchFolder folder;
  const fs::path file = folder / kRideStoreFile;
  {
    RideStore store(file);
    RideInto(store, 1, 41, "라이더1", 1'765'000'000'000);
    RideInto(store, 2, 42, "라이더2", 1'765'003'600'000);
  }
  test::RecordingMessageBox messages;
  std::vector<std::string> questions;
  CRideHistoryDlg window(file, messages,
                         {[&] { return folder / "exported"; },
                          [&](const std::string& question) {
                            questions.push_back(question);
                            return true;
                          }});
  window.resize(1100, 700);
  window.show();
  auto* rides = ControlOf<QTableWidget>(window, CRideHistoryDlg::kRidesId);
  ASSERT_EQ(rides->rowCount(), 2);
  EXPECT_EQ(rides->item(0, 1)->text(), QStringLiteral("라이더2")) << "newest first";
  EXPECT_EQ(rides->item(0, 2)->text(), QStringLiteral("0:29:00"));
  EXPECT_FALSE(ControlOf<QPushButton>(window, CRideHistoryDlg::kExportFitId)->isEnabled());

  auto* filter = ControlOf<QComboBox>(window, CRideHistoryDlg::kMemberFilterId);
  ASSERT_EQ(filter->count(), 3);
  filter->setCurrentIndex(filter->findText(QStringLiteral("라이더1")));
  ASSERT_EQ(rides->rowCount(), 1);
  filter->setCurrentIndex(0);
  ASSERT_EQ(rides->rowCount(), 2);

  rides->selectRow(1);
  const auto labels =
      ControlOf<QWidget>(window, CRideHistoryDlg::kSummaryId)->findChildren<QLabel*>();
  QStringList shown;
  for (const QLabel* label : labels) shown << label->text();
  EXPECT_THAT(shown.join('|').toStdString(), HasSubstr("칼로리 :"));
  EXPECT_THAT(shown.join('|').toStdString(), HasSubstr("(파워)"));
  test::Shoot(window, QStringLiteral("ride_history_dialog.png"));

  rides->selectAll();
  test::Click(window, CRideHistoryDlg::kExportFitId);
  test::Click(window, CRideHistoryDlg::kExportCsvId);
  int fit = 0, csv = 0;
  for (const auto& entry : fs::directory_iterator(folder / "exported")) {
    fit += entry.path().extension() == ".fit";
    csv += entry.path().extension() == ".csv";
  }
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(csv, 2);
  ASSERT_EQ(messages.Texts().size(), 2u);
  EXPECT_THAT(messages.Texts()[0], HasSubstr("2개의 기록을 내보냈습니다."));

  rides->selectRow(0);
  test::Click(window, CRideHistoryDlg::kDeleteId);
  EXPECT_THAT(questions, testing::ElementsAre("선택한 기록 1개를 삭제할까요?"));
  ASSERT_EQ(rides->rowCount(), 1);
  EXPECT_EQ(rides->item(0, 1)->text(), QStringLiteral("라이더1"));
}

}  // namespace
}  // namespace vel
