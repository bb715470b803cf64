#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ant/channel_plan.h"
#include "app/gear_estimate.h"
#include "app/rider_panel_view.h"
#include "common/message_box.h"
#include "sensors/sensor_event_reader.h"
#include "common/queues.h"
#include "common/string_queue.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "team/rider_lists.h"
#include "team/roster_records.h"
#include "team/team_roster.h"

namespace vel {

// The ten rider panels of the main window: which member rides in each, the
// sensors ticked for them and where those went on the sticks, the values,
// maxima, gears and riding clocks shown, and the personal bests reported.
// It owns the event queue the decoders fill and the channel plan with the
// sticks, and drives the panels' controls through a view. The main window's
// timers call its three timer steps.
//
// User-interface thread only.
class RiderBoard {
 public:
  static constexpr int kPanels = RiderLists::kPanels;
  static constexpr std::uint64_t kStaleMs = 10000;

  RiderBoard(RiderPanelView& view, MessageBox& messages, PacketSender& server,
             TeamRoster& roster, RiderLists& riderLists, LoginValues& login);
  ~RiderBoard();
  RiderBoard(const RiderBoard&) = delete;
  RiderBoard& operator=(const RiderBoard&) = delete;

  // Opens every stick there is; tells the user when there is none.
  void OpenSticks(const ReceiverSettings& settings);
  ChannelPlan& Plan() { return plan_; }

  // Timer steps: every 100 ms, 500 ms and 10 s.
  void DrainEvents();
  void UpdateClocks();
  void ClearStaleValues();

  // What the user does in a panel.
  void SelectMember(int panel, std::optional<int> entry);
  void ClickSensorBox(int panel, SensorBox box);
  void ClickStart(int panel);

  // For a panel without a member (tools): the sensors its boxes use, as if
  // they were a member's active sensors; the boxes they need are enabled.
  void UseSensors(int panel, const std::vector<DeviceRecord>& sensors);

  bool IsMemberInUse(std::uint64_t memberId) const { return riderLists_.IsMemberInUse(memberId); }

  // What a panel shows (the rules read values back from it).
  const std::string& Text(int panel, PanelValue value) const;
  bool BoxChecked(int panel, SensorBox box) const;
  bool BoxEnabled(int panel, SensorBox box) const;
  const SensorSlot& Slot(int panel, int deviceType) const;
  const std::string& ClockText(int panel) const { return panels_.at(panel).clockText; }

 private:
  enum class ClockState { kNoMember, kStopped, kRunning };
  enum Measure { kSpeedTrack, kCadenceTrack, kHeartRateTrack, kPowerTrack, kTrackCount };
  struct Track {
    std::int32_t graphId = -1;
    std::uint64_t lastTick = 0;  // 0: no fresh sample
  };
  struct Box {
    bool checked = false;
    bool enabled = false;
  };
  struct Panel {
    std::array<std::string, kPanelValueCount> texts;
    ClockState clock = ClockState::kNoMember;
    std::uint32_t startTick = 0;
    std::array<Track, kTrackCount> tracks;
    SensorSlot speed, cadence, speedCadence, heartRate, power;
    std::array<Box, kSensorBoxCount> boxes;
    std::string clockText;
    std::vector<DeviceRecord> ownSensors;  // sensors given without a member
  };

  void OnSpeed(const SensorEventFields& e);
  void OnDistance(const SensorEventFields& e);
  void OnCadence(const SensorEventFields& e);
  void OnHeartRate(const SensorEventFields& e);
  void OnPower(const SensorEventFields& e);
  void OnChannelReleased(const SensorEventFields& e);

  void EstimateGear(int panel, double speed, double cadence);
  void ClearGears(int panel);
  void ReportScore(const MemberRecord& member, int rankingType, double score);

  // The sensor check boxes' registrations.
  void Tick(int panel, SensorBox box, bool showMessages);
  void Untick(int panel, SensorBox box);
  void TickSpeed(int panel, bool showMessages);
  void TickCadence(int panel, bool showMessages);
  void TickHeartRate(int panel, bool showMessages);
  void TickPower(int panel, bool showMessages);
  bool Register(int panel, const DeviceRecord& sensor, SensorSlot& slot);
  void Close(int panel, SensorSlot& slot);
  std::optional<DeviceRecord> FirstSensor(int panel, int deviceType) const;
  SensorSlot* SlotFor(int panel, int deviceType);

  void SetText(int panel, PanelValue value, const std::string& text);
  double Shown(int panel, PanelValue value) const;
  void SetBox(int panel, SensorBox box, bool checked);
  void SetBoxEnabled(int panel, SensorBox box, bool enabled);
  void SetClock(int panel, const std::string& text);
  void Show(bool showMessages, const char* text);
  const MemberRecord* MemberOf(int panel) const;

  RiderPanelView& view_;
  MessageBox& messages_;
  PacketSender& server_;
  TeamRoster& roster_;
  RiderLists& riderLists_;
  LoginValues& login_;
  GearRatioTable gearRatios_;
  std::array<Panel, kPanels> panels_;
  StringQueue events_;
  QueueBinding eventsBinding_;
  ChannelPlan plan_;  // after the queue: the sticks' farewells still have it
};

}  // namespace vel
