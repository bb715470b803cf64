#pragma once

#include <QDialog>
#include <QMenuBar>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

#include "ant/receiver_list.h"
#include "app/rider_board.h"
#include "app/rider_panel_view.h"
#include "controls/log_window.h"
#include "rides/ride_writer.h"
#include "rides/rider_settings_book.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "team/rider_lists.h"
#include "team/team_roster.h"
#include "ui/class_results_dialog.h"
#include "ui/class_screen.h"
#include "ui/member_dialog.h"
#include "ui/member_ranking_dialog.h"
#include "ui/qt_message_box.h"
#include "ui/racing_mode_dialog.h"
#include "ui/ride_history_dialog.h"
#include "ui/rider_panel.h"
#include "ui/rider_settings_dialog.h"

namespace vel {

// "VEL": the studio window. Ten rider panels in two rows of five with a
// blank strip between them, the menus, and the windows they open. It shows
// what the rider board decides and forwards what the user does to it; its
// three timers run the board's watchdog, clocks and event drain.
//
// Escape or Enter ends it and its destruction stops every stick in order.
// The caption's close button ends the whole process at once instead, as
// the sticks' threads must not meet the program's static destructors.
class CVELDlg : public QDialog, private RiderPanelView {
 public:
  static constexpr int kResourceId = 129;
  static constexpr int kStripId = 3003;
  static constexpr int kTeamMenuId = 32771;
  static constexpr int kLogMenuId = 32772;
  static constexpr int kRidesMenuId = 32780;
  static constexpr int kRiderSettingsMenuId = 32781;
  static constexpr int kClassScreenMenuId = 32782;
  static constexpr int kRacingMenuId = 32778;
  static constexpr int kRankingMenuId = 32776;
  static constexpr int kAboutMenuId = 16;
  // The timers, by the ids the board's steps go with.
  static constexpr std::array<int, 3> kTimerPeriodsMs = {
      RiderBoard::kWatchdogPeriodMs, RiderBoard::kClockPeriodMs, RiderBoard::kDrainPeriodMs};

  struct Options {
    ReceiverSettings sticks;
    // Seat the team's members on the panels, tick their boxes and start
    // their clocks, as a user would (the demo).
    bool seatTeam = false;
    // A folder the window saves a picture of itself into every 10 s (the
    // demo on a display nobody looks at); empty: none.
    std::string shotsFolder;
    // What the caption's close button does; by default the process ends.
    std::function<void()> onCaptionClose;
    // The ride store the panels' rides go to (VEL.db), which also keeps
    // the riders' settings and beside which the class results are saved;
    // empty: none kept.
    std::filesystem::path ridesFile;
    // Open the class screen with the window (the demo).
    bool classScreen = false;
  };

  // `messages`: where the board's and the windows' messages go; none: a
  // message box over this window.
  CVELDlg(PacketSender& server, LoginValues& login, Options options, MessageBox* messages = nullptr,
          QWidget* parent = nullptr);
  ~CVELDlg() override;

  RiderBoard& Board() { return *board_; }
  RiderPanel& Panel(int panel) { return *panels_.at(std::size_t(panel)); }
  CMemberDlg& TeamWindow() { return *team_; }
  CLogDlg& LogWindow() { return *log_; }
  CMemberRankingDlg& RankingWindow() { return *ranking_; }
  // "라이딩 기록"; none without a ride store.
  CRideHistoryDlg* RideHistoryWindow() { return history_; }
  // The recorder of the panels' rides; none without a ride store.
  RideWriter* Rides() { return rides_.get(); }
  CClassScreen& ClassScreen() { return *classScreen_; }
  // "라이더 설정" and "클래스 결과"; none without a ride store.
  CRiderSettingsDlg* RiderSettingsWindow() { return riderSettings_; }
  CClassResultsDlg* ClassResultsWindow() { return classResults_; }
  // Shows the class screen, on the second screen when there is one.
  void OpenClassScreen();
  // Shows the class's results (the class screen's button, or its end).
  void ShowClassResults(const std::vector<ClassRide>& rides);
  // The panels' member lists as the team has them (members added or
  // deleted in the team window); the drain timer calls it.
  void ShowMemberLists();
  void ShowAbout();
  // Seats the team's members on the panels, ticks their boxes and starts
  // their clocks, as a user would by clicking (the demo).
  void SeatTeam();
  // Saves a picture of the window into the shots folder.
  void SaveShot();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void done(int result) override;

 private:
  QMenuBar* BuildMenus();
  QWidget* BuildPanels();

  // RiderPanelView
  int AddSeries(int panel, std::uint32_t colour) override;
  void RemoveSeries(int panel, int series) override;
  void SetValueText(int panel, PanelValue value, const std::string& text) override;
  void PushSample(int panel, int series, int value) override;
  void SetGearCount(int panel, GearIndicator gear, int count) override;
  void SetSelectedGear(int panel, GearIndicator gear, int index) override;
  void SetSensorBox(int panel, SensorBox box, bool checked, bool enabled) override;
  void SetStartButton(int panel, const std::string& text, bool enabled) override;
  void SetClockText(int panel, const std::string& text) override;
  void SetGroupCaption(int panel, const std::string& text) override;
  void SetMemberSelection(int panel, std::optional<int> index) override;
  void SetBattery(int panel, SensorBox sensor, BatteryLevel level) override;
  void SetSignal(int panel, SensorBox sensor, bool lost) override;
  void ShowSensorNews(int panel, SensorBox sensor);

  Options options_;
  QtMessageBox ownMessages_;
  MessageBox& messages_;
  LoginValues& login_;
  CLogDlg* log_;  // first: the log queue exists before anything logs
  std::array<RiderPanel*, RiderBoard::kPanels> panels_{};
  RiderLists riderLists_;
  TeamRoster roster_;
  std::unique_ptr<RideWriter> rides_;  // before the board, which ends its rides
  std::unique_ptr<RiderSettingsBook> settings_;
  // What each panel's sensors last said of themselves, by box.
  std::array<std::array<BatteryLevel, kSensorBoxCount>, RiderBoard::kPanels> battery_{};
  std::array<std::array<bool, kSensorBoxCount>, RiderBoard::kPanels> silent_{};
  std::unique_ptr<RiderBoard> board_;
  CMemberDlg* team_ = nullptr;
  CRacingModeDlg* racing_ = nullptr;
  CMemberRankingDlg* ranking_ = nullptr;
  CRideHistoryDlg* history_ = nullptr;
  CRiderSettingsDlg* riderSettings_ = nullptr;
  CClassScreen* classScreen_ = nullptr;
  CClassResultsDlg* classResults_ = nullptr;
  std::array<QTimer, kTimerPeriodsMs.size()> timers_;
  QTimer shots_;
};

}  // namespace vel
