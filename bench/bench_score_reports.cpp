// How long personal-best reports hold the user-interface thread while a
// class rides: the demo team (new to the server, so nearly every rise of a
// maximum is a best) on four simulated sticks in real time, the rider board
// run by its timers as the main window runs it, against the companion
// server on loopback. DELAY_MS adds that long before every request reaches
// the server, as a server farther away would.
//
//   bench_score_reports [SECONDS] [DELAY_MS]   (default 60 and 0)
//
// Prints the reports sent, the time they held the thread in all, and the
// longest drain: the longest the panels stood still.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"
#include "app/board_timers.h"
#include "app/rider_board.h"
#include "common/message_box.h"
#include "quiet_ports.h"
#include "real_time_room.h"
#include "server/request_executor.h"
#include "server/server_config.h"
#include "vel-server/companion_server.h"
#include "vel-server/demo_seed.h"
#include "vel-server/token_store.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The server link, timed; a request waits `delay` before it is sent.
class TimedSender : public vel::PacketSender {
 public:
  TimedSender(vel::PacketSender& inner, std::chrono::milliseconds delay)
      : inner_(inner), delay_(delay) {}
  bool SendPacket(const web::json::value& request, web::json::value& reply) override {
    const auto start = Clock::now();
    std::this_thread::sleep_for(delay_);
    const bool ok = inner_.SendPacket(request, reply);
    if (request.has_field("header") && request.at("header").as_integer() == 8) {
      ++reports;
      reportTime += Clock::now() - start;
    }
    return ok;
  }
  int reports = 0;
  Clock::duration reportTime{};

 private:
  vel::PacketSender& inner_;
  std::chrono::milliseconds delay_;
};

std::unique_ptr<vel::companion::CompanionServer> StartServer(const std::filesystem::path& folder) {
  std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int port = 20000 + static_cast<int>(random() % 20000);
    vel::companion::ServerOptions options;
    options.appAddress = "127.0.0.1:" + std::to_string(port);
    options.patchAddress = "127.0.0.1:" + std::to_string(port + 1);
    options.signInAddress = "127.0.0.1:" + std::to_string(port + 2);
    options.database = (folder / "vel-server.db").string();
    options.patches = folder / "patches";
    options.demo = true;
    auto server =
        std::make_unique<vel::companion::CompanionServer>(options, [](const std::string&) {});
    try {
      server->Start();
      return server;
    } catch (const std::runtime_error&) {
    }
  }
  throw std::runtime_error("no free ports for the companion server");
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  const std::chrono::milliseconds delay(argc > 2 ? std::atoi(argv[2]) : 0);
  constexpr int kSticks = 4;

  const auto folder = std::filesystem::temp_directory_path() /
                      ("bench_score_reports." + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  auto companion = StartServer(folder);

  vel::StringQueue log;
  vel::QueueBinding logBinding(vel::QueueBinding::Role::kLog, log);
  vel::bench::StderrMessages messages;
  vel::Endpoints endpoints{companion->AppUrl(), companion->PatchUrl(), "", ""};
  vel::RequestExecutor executor(vel::ServerConfig::BuiltIn(endpoints), messages);
  TimedSender server(executor, delay);
  vel::LoginValues login;
  web::json::value reply;
  web::json::value signIn = web::json::value::object();
  signIn["header"] = 0;
  signIn["type"] = web::json::value::string("facebook");
  signIn["account"] =
      web::json::value::string(vel::companion::SignInUserId(vel::companion::kDemoUser));
  if (!executor.SendPacket(signIn, reply)) {
    std::fprintf(stderr, "the demo account did not sign in\n");
    return 1;
  }
  login.accountId = reply.at("accountid").as_number().to_uint64();

  vel::bench::QuietPanelView view;
  vel::RiderLists lists;
  vel::TeamRoster roster(server, messages, lists, login);
  roster.LoadMembers();
  vel::RiderBoard board(view, messages, server, roster, lists, login);
  const vel::ReceiverSettings settings = vel::bench::RealTimeRoomSticks(kSticks);
  board.OpenSticks(settings);
  const int seated = board.SeatTeam();

  const auto start = Clock::now();
  vel::BoardTimers timers(board, start);
  Clock::duration longest{};
  for (auto now = start; now - start < std::chrono::duration<double>(seconds); now = Clock::now()) {
    timers.Poll(now);
    longest = std::max(longest, Clock::now() - now);
    for (std::string line; log.TryPop(line);) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(vel::RiderBoard::kDrainPeriodMs));
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("room: %d sticks, %d riders seated, %.0f s, %lld ms before every request\n", kSticks,
              seated, elapsed, static_cast<long long>(delay.count()));
  std::printf(
      "score reports: %d (%.1f a second), holding the thread %.0f ms in all (%.1f %% of the run)\n",
      server.reports, server.reports / elapsed, Ms(server.reportTime),
      Ms(server.reportTime) / (elapsed * 10.0));
  std::printf("longest step of the timers (the panels standing still): %.0f ms\n", Ms(longest));
  companion->Stop();
  std::filesystem::remove_all(folder);
  return 0;
}
