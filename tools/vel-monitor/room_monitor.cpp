#include "room_monitor.h"

#include <chrono>
#include <map>
#include <thread>

#include "app/board_timers.h"
#include "common/room.h"
#include "sensors/sensor_kinds.h"
#include "server/request_executor.h"
#include "server/server_config.h"

namespace vel {
namespace {

// Without a server, every request fails quietly.
class NoServer : public PacketSender {
 public:
  bool SendPacket(const web::json::value&, web::json::value&) override { return false; }
};

}  // namespace

RoomMonitor::RoomMonitor(const MonitorOptions& options, LineSink out)
    : options_(options),
      out_(std::move(out)),
      logBinding_(QueueBinding::Role::kLog, log_),
      view_(out_),
      server_(options.server.empty()
                  ? std::unique_ptr<PacketSender>(std::make_unique<NoServer>())
                  : std::make_unique<RequestExecutor>(
                        ServerConfig::BuiltIn(Endpoints{options.server, "", "", ""}), view_)),
      roster_(*server_, view_, lists_, login_),
      rides_(options.rides.empty() ? nullptr : std::make_unique<RideWriter>(options.rides)),
      board_(std::make_unique<RiderBoard>(view_, view_, *server_, roster_, lists_, login_)) {
  login_.accountId = options.account.value_or(0);
}

RoomMonitor::~RoomMonitor() {
  board_.reset();  // sticks stopped in order, rides ended
  rides_.reset();  // what is left of them stored
  DrainLog();
}

bool RoomMonitor::Start(const ReceiverSettings& sticks, std::string& error) {
  if (!options_.server.empty() && !roster_.LoadMembers()) {
    error = "cannot load the team of account " + std::to_string(login_.accountId) + " from " +
            options_.server;
    return false;
  }
  for (const auto& rider : options_.riders) {
    if (roster_.FindMember(rider.memberId) == nullptr) {
      error = "member " + std::to_string(rider.memberId) + " is not in the team";
      return false;
    }
  }
  board_->OpenSticks(sticks);
  WaitForBringUp();
  DrainLog();

  std::map<int, std::vector<DeviceRecord>> bare;
  for (const auto& s : options_.sensors) {
    bare[s.panel].push_back(DeviceRecord{kNoId, true, s.deviceNumber, s.deviceType});
  }
  for (const auto& [panel, sensors] : bare) {
    board_->UseSensors(panel, sensors);
    for (const DeviceRecord& d : sensors) {
      // The options take only decoded types.
      const SensorBox box = FindSensorKind(d.type)->registeringBox;
      if (!board_->BoxChecked(panel, box)) board_->ClickSensorBox(panel, box);
    }
  }
  for (const auto& rider : options_.riders) board_->SeatMember(rider.panel, rider.memberId);
  if (options_.allRiders) board_->SeatTeam();
  if (rides_) {
    // The riders' own settings, for zones and calories, as the program has them.
    settings_ = std::make_unique<RiderSettingsBook>(options_.rides);
    board_->UseRiderSettings([this](std::uint64_t member) { return settings_->Get(member); });
    // As a user would: ▶ on every panel with a rider.
    board_->RecordRidesTo(rides_.get());
    for (int panel = 0; panel < RiderBoard::kPanels; ++panel) {
      if (lists_.SelectedMember(panel)) board_->ClickStart(panel);
    }
  }
  DrainLog();
  return true;
}

void RoomMonitor::WaitForBringUp() {
  // The sticks finish their bring-up on their own threads, from the
  // sticks' answers; a box ticked before a stick reported its channels
  // would find none free. A stick that never answers is waited for a while.
  constexpr auto kLongest = std::chrono::seconds(5);
  const auto end = std::chrono::steady_clock::now() + kLongest;
  const ReceiverList& sticks = board_->Sticks();
  while (std::chrono::steady_clock::now() < end) {
    bool ready = true;
    for (std::size_t r = 0; r < sticks.Count(); ++r) {
      const AntReceiver* receiver = sticks.Find(r);
      if (receiver != nullptr && !receiver->IsLost() && receiver->ChannelCount() == 0)
        ready = false;
    }
    if (ready) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void RoomMonitor::Run(const std::atomic<bool>& stop) {
  using Clock = BoardTimers::Clock;
  const auto start = Clock::now();
  BoardTimers timers(*board_, start);
  while (!stop.load()) {
    const auto now = Clock::now();
    if (options_.seconds && now - start >= std::chrono::duration<double>(*options_.seconds)) {
      break;
    }
    timers.Poll(now);
    DrainLog();
    std::this_thread::sleep_for(std::chrono::milliseconds(RiderBoard::kDrainPeriodMs));
  }
  board_->DrainEvents();
}

void RoomMonitor::DrainLog() {
  for (std::string line; log_.TryPop(line);) {
    if (options_.log) out_(line);
  }
}

}  // namespace vel
