// The rider board's drain of the event queue, as the main window runs it
// every 100 ms: reading each event text back and updating the panels. A
// full room is ten riders, each with a heart-rate strap, a combined
// speed/cadence sensor and a power meter at about 4 Hz: some 24 events per
// tick. The panels are a view that only counts, so the figures are the
// board's own cost, without the widgets.
#include <benchmark/benchmark.h>

#include "app/rider_board.h"
#include "quiet_board.h"
#include "quiet_ports.h"
#include "real_time_room.h"
#include "sensors/sensor_event.h"

namespace {

// Counts what reaches the panels, so that none of it is optimised away.
class CountingView : public vel::bench::QuietPanelView {
 public:
  void SetValueText(int, vel::PanelValue, const std::string& text) override {
    calls += text.size();
  }
  void PushSample(int, int, int value) override { calls += static_cast<std::size_t>(value); }
  std::size_t calls = 0;
};

// The events of one tick for four of the ten riders, in turn: a heart
// rate, the combined sensor's speed, distance and cadence, the power
// meter's power and cadence.
void PushTick(int tickNumber, std::uint64_t tick) {
  using vel::EventHeader;
  using vel::EventValue;
  for (int i = 0; i < 4; ++i) {
    const int panel = (tickNumber * 4 + i) % 10;
    const double km = 0.01 * tickNumber + panel;
    vel::PushEvent(vel::BuildReadingEvent(EventHeader::kHeartRate, panel, 120, 0,
                                          EventValue::Integer(120 + tickNumber % 40), tick));
    vel::EventBatch combined;
    combined.AddReading(EventHeader::kSpeed, panel, 121, 1, EventValue::Real(28.4 + panel), tick);
    combined.AddReading(EventHeader::kDistance, panel, 121, 1, EventValue::Real(km), tick);
    combined.AddReading(EventHeader::kCadence, panel, 121, 2, EventValue::Integer(88), tick);
    combined.Push();
    vel::EventBatch power;
    power.AddReading(EventHeader::kPower, panel, 11, 3, EventValue::Integer(210 + panel), tick);
    power.AddReading(EventHeader::kCadence, panel, 11, 2, EventValue::Integer(90), tick);
    power.Push();
  }
}

void RunDrain(benchmark::State& state, int ticksPerDrain) {
  CountingView view;
  vel::bench::QuietBoard quiet(view);
  vel::RiderBoard& board = quiet.board;
  int tickNumber = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int t = 0; t < ticksPerDrain; ++t, ++tickNumber) {
      PushTick(tickNumber, 1000 + 100 * static_cast<std::uint64_t>(tickNumber));
    }
    state.ResumeTiming();
    board.DrainEvents();
  }
  benchmark::DoNotOptimize(view.calls);
  state.SetItemsProcessed(state.iterations() * ticksPerDrain * 24);
}

// One tick's events: the drain the main window makes every 100 ms.
void BM_FullRoomDrainPerTick(benchmark::State& state) { RunDrain(state, 1); }
// A second's events at once, as after the window was held up.
void BM_FullRoomDrainAfterASecond(benchmark::State& state) { RunDrain(state, 10); }

BENCHMARK(BM_FullRoomDrainPerTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRoomDrainAfterASecond)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
