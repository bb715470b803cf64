#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "app/ride_history.h"
#include "common/message_box.h"
#include "controls/ride_graph.h"

namespace vel {

// "라이딩 기록": every ride kept on this computer, newest first, filtered by
// member; the selected ride's summary and graph; its export as FIT or CSV
// into a folder the user picks, and its deletion after a question. The
// main window makes it once, hidden; it reads the store each time it is
// shown.
class CRideHistoryDlg : public QDialog {
 public:
  static constexpr int kResourceId = 140;
  static constexpr int kMemberFilterId = 1401;
  static constexpr int kRidesId = 1402;
  static constexpr int kSummaryId = 1403;
  static constexpr int kGraphId = 1404;
  static constexpr int kExportFitId = 1405;
  static constexpr int kExportCsvId = 1406;
  static constexpr int kDeleteId = 1407;

  // Where the user picks the export folder, and how a question is asked
  // (true: yes); by default the system's folder dialog and a message box.
  struct Asking {
    std::function<std::filesystem::path()> folder;
    std::function<bool(const std::string&)> question;
  };

  CRideHistoryDlg(std::filesystem::path storeFile, MessageBox& messages, Asking asking = {},
                  QWidget* parent = nullptr);

  // Reads the store anew and shows what it holds.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowRides();
  void ShowSelected();
  void Add(QLabel* label, int row, int column);
  std::vector<std::int64_t> SelectedIds() const;
  void Export(RideFileFormat format);
  void DeleteSelected();

  RideHistory history_;
  MessageBox& messages_;
  Asking asking_;
  QComboBox* filter_;
  QTableWidget* rides_;
  QWidget* summary_;
  QGridLayout* summaryGrid_;
  CRideGraph* graph_;
  QPushButton* exportFit_;
  QPushButton* exportCsv_;
  QPushButton* delete_;
};

}  // namespace vel
