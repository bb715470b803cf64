#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ant/receiver_list.h"
#include "app/channel_plan.h"
#include "app/panel_health.h"
#include "app/panel_readings.h"
#include "app/panel_rides.h"
#include "app/panel_tile.h"
#include "app/rider_panel_view.h"
#include "app/riding_clocks.h"
#include "app/sensor_boxes.h"
#include "common/message_box.h"
#include "common/queues.h"
#include "common/room.h"
#include "common/string_queue.h"
#include "rides/rider_settings.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "team/rider_lists.h"
#include "team/roster_records.h"
#include "team/score_reports.h"
#include "team/team_roster.h"

namespace vel {

// The ten rider panels of the main window: which member rides in each, the
// sensors ticked for them and where those went on the sticks, the values,
// maxima, gears and riding clocks shown, and the personal bests reported.
// It owns the event queue the decoders fill and the sticks, and drives the
// panels' controls through a view. The main window's timers call its three
// timer steps, and its controls forward what the user does.
//
// User-interface thread only.
class RiderBoard {
 public:
  static constexpr int kPanels = kRiderPanels;
  // The main window's timers.
  static constexpr int kDrainPeriodMs = 100;
  static constexpr int kClockPeriodMs = 500;
  static constexpr int kWatchdogPeriodMs = 10000;

  RiderBoard(RiderPanelView& view, MessageBox& messages, PacketSender& server, TeamRoster& roster,
             RiderLists& riderLists, LoginValues& login);
  ~RiderBoard();
  RiderBoard(const RiderBoard&) = delete;
  RiderBoard& operator=(const RiderBoard&) = delete;

  // Records every panel's rides to `recorder` from now on (none: no
  // more); it must outlive the board. The wall clock dates the rides.
  void RecordRidesTo(RideRecorder* recorder, PanelRides::WallClock wallClock = {});
  // Ends every ride under way, as the window's end does (the caption's
  // close button, which ends the process at once, calls it first).
  void EndRides();
  // Ends every ride and, when one was ridden, the class: the class-over
  // handler gets its rides (the window's end keeps the class's results).
  void EndClass();
  // What a panel shows, as a ride's sample (its offset left 0).
  RideSample Shown(int panel) const;

  // The riders' own settings (zones, calories by heart rate); without
  // them no rider has any.
  using RiderSettingsLookup = std::function<RiderSettings(std::uint64_t memberId)>;
  void UseRiderSettings(RiderSettingsLookup lookup);
  // What the class screen shows of a panel.
  PanelTile Tile(int panel) const;
  // Called when the class is over (the last running clock stopped, or its
  // member left), with every ride of the class.
  using ClassOverHandler = std::function<void(std::vector<ClassRide>)>;
  void OnClassOver(ClassOverHandler handler);
  // The class so far, for a summary asked for before it is over.
  std::vector<ClassRide> ClassSoFar() const { return rides_.ClassSoFar(); }

  // Opens every stick there is; tells the user when there is none.
  void OpenSticks(const ReceiverSettings& settings);
  ReceiverList& Sticks() { return sticks_; }

  // Timer steps: every 100 ms, 500 ms and 10 s. The drain also looks after
  // sticks that come and go: a lost stick's sensors move to the others, a
  // stick found is taken into the plan, and sensors waiting for a channel
  // take one when a stick has it free.
  void DrainEvents();
  void UpdateClocks();
  void ClearStaleValues();

  // What the user does in a panel.
  void SelectMember(int panel, std::optional<int> entry);
  void ClickSensorBox(int panel, SensorBox box);
  void ClickStart(int panel);

  // Seats a member on a panel and ticks every box its sensors allow, as
  // the user would by clicking; false when the panel's list lacks it.
  bool SeatMember(int panel, std::uint64_t memberId);
  // Seats the team's members on the panels in roster order, one each; the
  // number of panels seated.
  int SeatTeam();

  // For a panel without a member (tools): the sensors its boxes use, as if
  // they were a member's active sensors; the boxes they need are enabled.
  void UseSensors(int panel, const std::vector<DeviceRecord>& sensors);

  bool IsMemberInUse(std::uint64_t memberId) const { return riderLists_.IsMemberInUse(memberId); }

  // What a panel shows (the rules read values back from it).
  const std::string& Text(int panel, PanelValue value) const {
    return readings_.Text(panel, value);
  }
  bool BoxChecked(int panel, SensorBox box) const { return boxes_.Checked(panel, box); }
  bool BoxEnabled(int panel, SensorBox box) const { return boxes_.Enabled(panel, box); }
  const SensorSlot& Slot(int panel, int deviceType) const { return boxes_.Slot(panel, deviceType); }
  const std::string& ClockText(int panel) const { return clocks_.Text(panel); }

 private:
  void KeepSticksUp(const std::vector<std::size_t>& lost, bool channelsFreed);
  const std::vector<DeviceRecord>& SensorsOf(int panel) const;
  const MemberRecord* MemberOf(int panel) const;
  RiderSettings SettingsOf(int panel) const;
  RiderBody BodyOf(int panel) const;
  std::optional<ZoneReading> Zone(int panel, SensorBox sensor) const;
  void ShowZone(int panel, SensorBox sensor);
  void CheckClassOver();

  RiderPanelView& view_;
  MessageBox& messages_;
  TeamRoster& roster_;
  RiderLists& riderLists_;
  std::array<std::vector<DeviceRecord>, kPanels> ownSensors_;
  ScoreReports scores_;
  PanelReadings readings_;
  RidingClocks clocks_;
  PanelRides rides_;
  PanelHealth health_;
  RiderSettingsLookup settings_;
  ClassOverHandler classOver_;
  StringQueue events_;
  StringBatch drained_;  // the events of one drain; its memory is kept
  bool draining_ = false;
  QueueBinding eventsBinding_;
  ReceiverList sticks_;  // after the queue: the sticks' farewells still have it
  ChannelPlan plan_;
  SensorBoxes boxes_;
};

}  // namespace vel
