// A full room in real time: ten riders with all their sensors on four
// simulated sticks, the rider board run by its timers as the main window
// runs it. Measures how long a reading takes from its frame's last byte
// entering the transport to the panel text showing it (p50, p99), and the
// process's CPU time per minute of riding.
//
//   bench_room_latency [SECONDS]   (default 60)
//
// The latency of a text is taken against the latest data frame of the
// channel that feeds it, so a frame that arrives while an older one's event
// waits for the 100 ms drain makes that older reading look younger: the
// figures lean low by at most one channel period in rare cases.
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ant/ant_frame.h"
#include "ant/ant_receiver.h"
#include "ant/serial_generic.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"
#include "app/board_timers.h"
#include "app/rider_board.h"
#include "common/message_box.h"
#include "quiet_board.h"
#include "quiet_ports.h"
#include "real_time_room.h"

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
      .count();
}

// The stick's transport, with a tap that notes when each channel's last
// data frame was complete.
class TimedSerial : public vel::DSISerial, private vel::DSISerialCallback {
 public:
  explicit TimedSerial(vel::DiscoverySettings settings)
      : inner_(std::make_unique<vel::DSISerialGeneric>(std::move(settings))) {
    for (auto& t : lastFrameUs_) t.store(0);
  }
  bool InitAuto() override { return inner_->InitAuto(); }
  bool Init(std::uint32_t baud, std::uint8_t port) override { return inner_->Init(baud, port); }
  std::uint32_t GetDeviceSerialNumber() override { return inner_->GetDeviceSerialNumber(); }
  void SetCallback(vel::DSISerialCallback* callback) override {
    downstream_.store(callback);
    inner_->SetCallback(this);
  }
  bool Open() override { return inner_->Open(); }
  void Close(bool reset) override { inner_->Close(reset); }
  bool WriteBytes(const std::uint8_t* bytes, std::size_t count) override {
    return inner_->WriteBytes(bytes, count);
  }
  std::uint8_t GetPort() override { return inner_->GetPort(); }
  std::int64_t LastFrameUs(int channel) const {
    return lastFrameUs_.at(static_cast<std::size_t>(channel)).load();
  }

 private:
  void OnByte(std::uint8_t byte) override {
    // Follows the framing just far enough to see a data frame end.
    if (index_ == 0) {
      if (byte == vel::kAntSync) index_ = 1;
    } else if (index_ == 1) {
      length_ = byte;
      index_ = 2;
    } else {
      if (index_ == 2) id_ = byte;
      if (index_ == 3) channel_ = byte;
      if (index_ == static_cast<int>(length_) + 3) {
        if (id_ == vel::ant_id::kBroadcastData && channel_ < lastFrameUs_.size())
          lastFrameUs_[channel_].store(NowUs());
        index_ = 0;
      } else {
        ++index_;
      }
    }
    downstream_.load()->OnByte(byte);
  }
  void OnSerialError(std::uint8_t code) override { downstream_.load()->OnSerialError(code); }

  std::unique_ptr<vel::DSISerialGeneric> inner_;
  std::atomic<vel::DSISerialCallback*> downstream_{nullptr};
  int index_ = 0;
  std::uint8_t length_ = 0, id_ = 0, channel_ = 0;
  std::array<std::atomic<std::int64_t>, 8> lastFrameUs_;
};

// Times every value text against the frame behind it.
class TimingView : public vel::bench::QuietPanelView {
 public:
  TimingView(std::vector<TimedSerial*>& sticks) : sticks_(sticks) {}
  void SetBoard(vel::RiderBoard* board) { board_ = board; }

  void SetValueText(int panel, vel::PanelValue value, const std::string& text) override {
    if (board_ == nullptr || text.empty()) return;
    const vel::SensorSlot* slot = Feeder(panel, value);
    if (slot == nullptr || slot->Free()) return;
    const std::int64_t frame =
        sticks_.at(static_cast<std::size_t>(slot->receiver))->LastFrameUs(slot->channel);
    if (frame != 0) latenciesUs.push_back(NowUs() - frame);
  }
  std::vector<std::int64_t> latenciesUs;

 private:
  const vel::SensorSlot* Feeder(int panel, vel::PanelValue value) const {
    auto used = [&](int type) -> const vel::SensorSlot* {
      const vel::SensorSlot& s = board_->Slot(panel, type);
      return s.Free() ? nullptr : &s;
    };
    switch (value) {
      case vel::PanelValue::kSpeed: return used(121) ? used(121) : used(123);
      case vel::PanelValue::kCadence:
        return used(11) ? used(11) : used(121) ? used(121) : used(122);
      case vel::PanelValue::kHeartRate: return used(120);
      case vel::PanelValue::kPower: return used(11);
      default: return nullptr;
    }
  }

  std::vector<TimedSerial*>& sticks_;
  vel::RiderBoard* board_ = nullptr;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  constexpr int kSticks = 4;

  vel::StringQueue log;
  vel::QueueBinding logBinding(vel::QueueBinding::Role::kLog, log);
  std::vector<TimedSerial*> timed;
  TimingView view(timed);
  vel::bench::QuietBoard quiet(view);
  vel::RiderBoard& board = quiet.board;
  view.SetBoard(&board);

  const vel::ReceiverSettings settings = vel::bench::RealTimeRoomSticks(kSticks);
  for (int n = 0; n < kSticks; ++n) {
    auto serial = std::make_unique<TimedSerial>(settings.discovery);
    TimedSerial* tap = serial.get();
    auto receiver =
        vel::AntReceiver::OpenReceiver(static_cast<std::uint8_t>(n), std::move(serial), settings);
    if (!receiver) {
      std::fprintf(stderr, "stick %d did not open\n", n);
      return 1;
    }
    timed.push_back(tap);
    board.Sticks().AddReceiver(std::move(receiver));
  }
  // Every rider of the room with every sensor: 1-4 combined sensor and power
  // meter, 5-7 speed and cadence sensors, 8-10 speed sensor and power meter.
  for (int k = 1; k <= 10; ++k) {
    std::vector<vel::DeviceRecord> sensors{{vel::kNoId, true, 12000 + k, 120}};
    if (k <= 4) {
      sensors.push_back({vel::kNoId, true, 12100 + k, 121});
      sensors.push_back({vel::kNoId, true, 1100 + k, 11});
    } else if (k <= 7) {
      sensors.push_back({vel::kNoId, true, 12300 + k, 123});
      sensors.push_back({vel::kNoId, true, 12200 + k, 122});
    } else {
      sensors.push_back({vel::kNoId, true, 12300 + k, 123});
      sensors.push_back({vel::kNoId, true, 1100 + k, 11});
    }
    board.UseSensors(k - 1, sensors);
    for (auto box : {vel::SensorBox::kSpeed, vel::SensorBox::kCadence, vel::SensorBox::kHeartRate,
                     vel::SensorBox::kPower}) {
      if (board.BoxEnabled(k - 1, box) && !board.BoxChecked(k - 1, box))
        board.ClickSensorBox(k - 1, box);
    }
  }

  const double cpuStart = CpuSeconds();
  const auto start = Clock::now();
  vel::BoardTimers timers(board, start);
  for (auto now = start; now - start < std::chrono::duration<double>(seconds); now = Clock::now()) {
    timers.Poll(now);
    for (std::string line; log.TryPop(line);) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(vel::RiderBoard::kDrainPeriodMs));
  }
  const double cpu = CpuSeconds() - cpuStart;
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

  auto& l = view.latenciesUs;
  if (l.empty()) {
    std::fprintf(stderr, "no readings reached the panels\n");
    return 1;
  }
  std::sort(l.begin(), l.end());
  auto at = [&](double q) {
    return static_cast<double>(l[static_cast<std::size_t>(q * static_cast<double>(l.size() - 1))]) /
           1000.0;
  };
  std::printf("room: %d sticks, 10 riders, %.0f s\n", kSticks, elapsed);
  std::printf("readings shown: %zu\n", l.size());
  std::printf("latency frame -> panel text: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", at(0.5),
              at(0.99), at(1.0));
  std::printf("cpu: %.2f s per minute of riding (whole process, simulated room included)\n",
              cpu * 60.0 / elapsed);
  return 0;
}
