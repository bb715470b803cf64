#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ant/framer.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"
#include "app/rider_board.h"
#include "common/queues.h"
#include "common/string_queue.h"
#include "support/fake_transport.h"
#include "support/queue_capture.h"
#include "support/recording_message_box.h"
#include "support/recording_panel_view.h"
#include "support/room_pipeline.h"
#include "support/scripted_packet_sender.h"

namespace vel::test {

// Roster JSON as the application server sends it.
std::string DeviceJson(int id, int number, int type, bool active = true);
// A member with the sensors given (a JSON array) and one active road
// bicycle: the first crank (50/34), the first cassette (12-25, eleven
// speeds) and the 700-23C tire.
std::string MemberJson(std::uint64_t id, const std::string& name, const std::string& devices,
                       const std::string& score = "null");

// A stick without a receive loop, driven message by message, whose
// transport answers every command at once.
class SyncStick {
 public:
  SyncStick();
  DSIFramerANT& Framer() { return framer_; }

 private:
  FakeTransport transport_;
  DSIFramerANT framer_{&transport_};
};

// A rider board with recording ports and a scripted application server,
// the way the main window holds it.
class BoardRig {
 public:
  explicit BoardRig(std::uint64_t accountId = 77);
  virtual ~BoardRig();

  // Loads the roster from these members (MemberJson texts).
  void LoadTeam(const std::vector<std::string>& members);
  // The entry of a member in every rider list (0 is the empty entry); -1
  // when it is not listed.
  int EntryOf(std::uint64_t memberId) const;
  // Chooses the member in a panel and ticks every box its sensors enable.
  void Seat(int panel, std::uint64_t memberId);
  // A stick of eight channels, already sized, without a loop.
  AntReceiver& AddSyncStick();

  const std::string& Text(int panel, PanelValue value) const { return board->Text(panel, value); }
  bool Shows(int panel, PanelValue value) const { return !Text(panel, value).empty(); }
  // The log lines since the last call, without their time stamps.
  std::vector<std::string> LogTexts();

  StringQueue log;
  QueueBinding logBinding{QueueBinding::Role::kLog, log};
  RecordingPanelView view;
  RecordingMessageBox messages;
  ScriptedPacketSender server;
  RiderLists lists;
  LoginValues login;
  TeamRoster roster{server, messages, lists, login};
  std::unique_ptr<RiderBoard> board;

 private:
  std::vector<std::unique_ptr<SyncStick>> syncSticks_;
};

// The rig on simulated sticks of a room whose clock, and the program's,
// the test moves by hand. The pipeline runs on its own threads; the rig
// waits for it to catch up with what the sticks sent (every frame handled)
// before it looks, so nothing depends on how fast those threads run.
// Sticks are listed again only when the rig says so (no rescan thread).
class SimulatedRoomRig : public BoardRig {
 public:
  SimulatedRoomRig();
  ~SimulatedRoomRig() override;

  // Opens the simulated sticks 0 to count - 1 that are plugged in and waits
  // until each reported its channels.
  void OpenSticks(int count) { pipeline.OpenSticks(*board, count); }
  // Until every frame the sticks sent has been handled by their receive loops.
  void Settle() { pipeline.Settle(*board); }
  // Settles and drains (as the 100 ms timer would) until `done` holds or
  // the pipeline is idle without it; false then.
  bool WaitFor(const std::function<bool()>& done) { return pipeline.WaitFor(*board, done); }
  // Moves the room and the program's clock on together, in steps, letting
  // the pipeline catch up and draining after each.
  void Ride(std::uint64_t ms, std::uint64_t stepMs = 250) {
    pipeline.Ride(*board, ms, stepMs, ManualTick::Advance);
  }

  // Pulls a stick out and waits until the board has noticed and let it go.
  void Unplug(int stick);
  // Plugs a stick in (again), lists the sticks and waits until the board has
  // taken it into the plan, brought up.
  void Replug(int stick);
  // The receiver that has simulated stick `stick` open; nullptr when none.
  AntReceiver* ReceiverOf(int stick);

  ManualTick tick{1000};
  RoomPipeline pipeline;
  std::shared_ptr<sim::ManualSimClock> clock = pipeline.clock;
  std::shared_ptr<sim::VirtualRoom> room = pipeline.room;
};

}  // namespace vel::test
