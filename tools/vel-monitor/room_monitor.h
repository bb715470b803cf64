#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "ant/ant_receiver.h"
#include "app/rider_board.h"
#include "json_line_view.h"
#include "monitor_options.h"
#include "rides/ride_writer.h"
#include "rides/rider_settings_book.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "team/rider_lists.h"
#include "team/team_roster.h"

namespace vel {

// A room watched without windows: the sticks opened as the program opens
// them, riders or bare sensors put on panels, and the panels' changes
// written as JSON lines while the board's timers run.
class RoomMonitor {
 public:
  using LineSink = std::function<void(const std::string&)>;

  RoomMonitor(const MonitorOptions& options, LineSink out);
  ~RoomMonitor();

  // Loads the team (server mode), opens the sticks and puts everyone on
  // their panel; false with a one-line reason when that cannot be done.
  bool Start(const ReceiverSettings& sticks, std::string& error);
  // Runs the timers until `stop` or the time asked for is over.
  void Run(const std::atomic<bool>& stop);
  RiderBoard& Board() { return *board_; }

 private:
  void WaitForBringUp();
  void DrainLog();

  MonitorOptions options_;
  LineSink out_;
  StringQueue log_;
  QueueBinding logBinding_;
  JsonLineView view_;
  std::unique_ptr<PacketSender> server_;
  RiderLists lists_;
  LoginValues login_;
  TeamRoster roster_;
  std::unique_ptr<RideWriter> rides_;  // before the board, which ends its rides
  std::unique_ptr<RiderSettingsBook> settings_;
  std::unique_ptr<RiderBoard> board_;
};

}  // namespace vel
