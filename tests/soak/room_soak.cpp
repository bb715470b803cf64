// Rides the simulated room on a manual clock (an hour by default) while
// sticks are pulled out and plugged in again, reset themselves, garble
// frames, send junk and answer late, and checks that the program never
// stops and that every sensor on a stick that is there keeps reporting.
//
//   room_soak [--minutes N] [--seed S] [--log]
//
// --log prints the program's log lines with the clock's second.
// Prints what was injected and how the room recovered; status 0 when every
// sensor on a live stick reported again, 1 when one stayed silent, 2 for a
// bad command line.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "ant/sim/simulated_stick.h"
#include "support/board_rig.h"

namespace vel {
namespace {

constexpr int kSticks = 5;  // 40 channels for 30 sensors: one stick may go
constexpr int kRiders = 10;
constexpr std::array<int, 3> kTypes = {120, 121, 11};
// A channel whose set-up lost an answer is taken up after the stick's
// quiet-channel check, and a search takes a few seconds more.
constexpr std::uint64_t kLongestSilenceMs = 90000;

struct Options {
  int minutes = 60;
  unsigned seed = 1;
  bool log = false;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--log") {
      options.log = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    char* end = nullptr;
    const long value = std::strtol(argv[++i], &end, 10);
    if (*end != '\0' || value < 0 || value > 100000) return false;
    if (arg == "--minutes") {
      options.minutes = static_cast<int>(value);
    } else if (arg == "--seed") {
      options.seed = static_cast<unsigned>(value);
    } else {
      return false;
    }
  }
  return true;
}

std::string Member(int k) {
  using test::DeviceJson;
  return R"({"id":)" + std::to_string(100 + k) + R"(,"name":"rider)" + std::to_string(k) +
         R"(","device":[)" + DeviceJson(k * 10, 12000 + k, 120) + "," +
         DeviceJson(k * 10 + 1, 12100 + k, 121) + "," + DeviceJson(k * 10 + 2, 1100 + k, 11) +
         R"(],"bicycle":[{"id":1,"active":true,"name":"b","crank":2,"cassette":4,"tire":1}]})";
}

class RoomSoak : public test::SimulatedRoomRig {
 public:
  RoomSoak(unsigned seed, bool printLog) : random_(seed), printLog_(printLog) {}

  int Run(int minutes) {
    std::vector<std::string> team;
    for (int k = 1; k <= kRiders; ++k) team.push_back(Member(k));
    LoadTeam(team);
    OpenSticks(kSticks);
    for (int k = 1; k <= kRiders; ++k) Seat(k - 1, 100 + k);

    const auto started = std::chrono::steady_clock::now();
    const std::uint64_t endMs = static_cast<std::uint64_t>(minutes) * 60000;
    std::uint64_t nextFaultMs = 60000;  // everyone rides first
    for (nowMs_ = 1000; nowMs_ <= endMs; nowMs_ += 1000) {
      Ride(1000);
      if (nowMs_ % 10000 == 0) board->ClearStaleValues();
      CountLog();
      Watch();
      if (nowMs_ >= nextFaultMs) {
        InjectFault();
        nextFaultMs = nowMs_ + Between(15, 60) * 1000;
      }
    }
    Report(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    return silentSensors_ == 0 ? 0 : 1;
  }

 private:
  struct Sensor {
    std::size_t samples = 0;
    std::uint64_t lastReportMs = 0;
    bool silentNoted = false;
  };
  // A sensor of a stick pulled out, until it reports again.
  struct Recovery {
    std::uint64_t startMs;
    std::pair<int, int> sensor;  // panel, device type
    bool waited = false;         // no other stick had a channel free at some point
  };

  std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
    return std::uniform_int_distribution<std::uint64_t>(low, high)(random_);
  }

  std::vector<int> SticksThat(bool pluggedIn) {
    std::vector<int> out;
    for (int i = 0; i < kSticks; ++i) {
      if (room->Stick(i).IsPluggedIn() == pluggedIn) out.push_back(i);
    }
    return out;
  }

  void InjectFault() {
    const std::vector<int> in = SticksThat(true);
    const std::vector<int> out = SticksThat(false);
    const int stick = in[Between(0, in.size() - 1)];
    switch (Between(0, 6)) {
      case 0:
      case 1:
        if (in.size() > 3) {
          Pull(stick);
          return;
        }
        [[fallthrough]];
      case 2:
        if (!out.empty()) {
          ++faults_["replug"];
          Replug(out[Between(0, out.size() - 1)]);
          return;
        }
        [[fallthrough]];
      case 3:
        ++faults_["garbled frame"];
        room->Stick(stick).GarbleNextFrame();
        return;
      case 4: {
        ++faults_["junk bytes"];
        std::vector<std::uint8_t> junk(Between(1, 24));
        for (auto& b : junk) b = static_cast<std::uint8_t>(Between(0, 255));
        room->Stick(stick).InjectJunk(junk);
        return;
      }
      case 5:
        ++faults_["late response"];
        room->Stick(stick).DelayNextResponse(static_cast<std::uint32_t>(Between(50, 3000)));
        return;
      default:
        ++faults_["stick reset"];
        room->Stick(stick).ResetItself();
        return;
    }
  }

  void Pull(int stick) {
    ++faults_["unplug"];
    if (const AntReceiver* receiver = ReceiverOf(stick)) {
      for (int p = 0; p < kRiders; ++p) {
        for (int type : kTypes) {
          if (board->Slot(p, type).receiver == receiver->Index()) {
            recoveries_.push_back(Recovery{nowMs_, {p, type}});
          }
        }
      }
    }
    if (printLog_)
      std::printf("%llu s: unplug %d\n", static_cast<unsigned long long>(nowMs_ / 1000), stick);
    Unplug(stick);
  }

  // Samples the sensor's first series got so far; a watchdog clear adds
  // one, a reporting sensor four a second.
  std::size_t Samples(int panel, const SensorSlot& slot) const {
    const auto* series = view.panels[static_cast<std::size_t>(panel)].series.Find(slot.series[0]);
    return series != nullptr ? series->samples.size() : 0;
  }

  void Watch() {
    for (int p = 0; p < kRiders; ++p) {
      for (int type : kTypes) {
        const SensorSlot& slot = board->Slot(p, type);
        Sensor& sensor = sensors_[{p, type}];
        const std::size_t samples = Samples(p, slot);
        if (samples >= sensor.samples + 2) sensor.lastReportMs = nowMs_;
        sensor.samples = samples;
        const bool live = !slot.Waiting() && !slot.Free() &&
                          board->Sticks().IsLive(static_cast<std::size_t>(slot.receiver));
        if (!live) {
          sensor.lastReportMs = nowMs_;  // waits for a channel: not its fault
          continue;
        }
        const std::uint64_t silence = nowMs_ - sensor.lastReportMs;
        longestSilenceMs_ = std::max(longestSilenceMs_, silence);
        if (silence > kLongestSilenceMs && !sensor.silentNoted) {
          sensor.silentNoted = true;
          ++silentSensors_;
          std::printf("SILENT at %llu s: panel %d type %d on receiver %d channel %d\n",
                      static_cast<unsigned long long>(nowMs_ / 1000), p + 1, type, slot.receiver,
                      slot.channel);
        }
        if (silence == 0) sensor.silentNoted = false;
      }
    }
    for (auto it = recoveries_.begin(); it != recoveries_.end();) {
      const bool waiting = board->Slot(it->sensor.first, it->sensor.second).Waiting();
      it->waited = it->waited || waiting;
      if (waiting || sensors_[it->sensor].lastReportMs <= it->startMs) {
        ++it;
        continue;
      }
      (it->waited ? afterWaitS_ : movedS_)
          .push_back(static_cast<double>(nowMs_ - it->startMs) / 1000.0);
      it = recoveries_.erase(it);
    }
  }

  void CountLog() {
    for (const std::string& line : LogTexts()) {
      if (printLog_) {
        std::printf("%llu s: %s\n", static_cast<unsigned long long>(nowMs_ / 1000), line.c_str());
      }
      if (line.find(" went to USB device(") != std::string::npos) ++moved_;
      if (line.find(" waits for a free channel") != std::string::npos) ++waited_;
      if (line.find(") is gone: ") != std::string::npos) ++lost_;
      if (line.find(") is back: ") != std::string::npos) ++back_;
      if (line.find(" reset itself;") != std::string::npos) ++resets_;
      if (line.find(" forgot its channels;") != std::string::npos) ++resets_;
    }
    messages.Texts();  // a message box would stop the soak's user, not the soak
  }

  void Report(double realSeconds) {
    std::printf("room soak: %llu min of manual clock in %.1f s, %d riders, %d sticks\n",
                static_cast<unsigned long long>(nowMs_ / 60000), realSeconds, kRiders, kSticks);
    int total = 0;
    for (const auto& [kind, count] : faults_) {
      std::printf("  injected %-14s %d\n", kind.c_str(), count);
      total += count;
    }
    std::printf("  injected in all     %d\n", total);
    std::printf("  sticks lost %d, back %d; stick resets taken up %d\n", lost_, back_, resets_);
    std::printf("  sensors moved to another stick %d, waited for a channel %d\n", moved_, waited_);
    PrintRecoveries("moved to a free channel at once", movedS_);
    PrintRecoveries("waited for a channel", afterWaitS_);
    std::printf("  sensors of pulled sticks not reporting yet at the end %zu\n",
                recoveries_.size());
    std::printf("  longest silence of a sensor on a live stick %llu s; silent beyond %llu s: %d\n",
                static_cast<unsigned long long>(longestSilenceMs_ / 1000),
                static_cast<unsigned long long>(kLongestSilenceMs / 1000), silentSensors_);
  }

  static void PrintRecoveries(const char* what, std::vector<double> seconds) {
    if (seconds.empty()) return;
    std::sort(seconds.begin(), seconds.end());
    std::printf(
        "  sensors of pulled sticks that %s: %zu, reporting again after %.0f s at best, "
        "%.0f s median, %.0f s at worst\n",
        what, seconds.size(), seconds.front(), seconds[seconds.size() / 2], seconds.back());
  }

  std::mt19937 random_;
  const bool printLog_;
  std::uint64_t nowMs_ = 0;
  std::map<std::string, int> faults_;
  std::map<std::pair<int, int>, Sensor> sensors_;
  std::vector<Recovery> recoveries_;
  std::vector<double> movedS_;
  std::vector<double> afterWaitS_;
  std::uint64_t longestSilenceMs_ = 0;
  int silentSensors_ = 0;
  int moved_ = 0;
  int waited_ = 0;
  int lost_ = 0;
  int back_ = 0;
  int resets_ = 0;
};

}  // namespace
}  // namespace vel

int main(int argc, char** argv) {
  vel::Options options;
  if (!vel::ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: room_soak [--minutes N] [--seed S] [--log]\n");
    return 2;
  }
  try {
    vel::RoomSoak soak(options.seed, options.log);
    return soak.Run(options.minutes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "room soak stopped: %s\n", e.what());
    return 1;
  }
}
