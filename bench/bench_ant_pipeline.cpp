// Bytes -> framer -> TakeMessage -> decoder -> event text, on one thread,
// for each kind of sensor; the heart-rate case uses the recorded strap.
#include <benchmark/benchmark.h>

#include "ant/ant_receiver.h"
#include "ant/framer.h"
#include "common/queues.h"
#include "recorded_traffic.h"
#include "sensors/sensor_kinds.h"

namespace {

class Deaf : public vel::AntTransport {
 public:
  bool WriteBytes(const std::uint8_t*, std::size_t) override { return false; }
};

void RunPipeline(benchmark::State& state, int deviceType,
                 const std::vector<std::vector<std::uint8_t>>& payloads) {
  const auto bytes = vel::bench::FramesFor(payloads);
  Deaf transport;
  auto framer = std::make_unique<vel::DSIFramerANT>(&transport);
  vel::AntReceiver receiver(framer.get());
  vel::StringQueue events;
  vel::StringQueue log;
  vel::QueueBinding bindEvents(vel::QueueBinding::Role::kEvents, events);
  vel::QueueBinding bindLog(vel::QueueBinding::Role::kLog, log);
  vel::DecoderSetup setup;
  setup.owner = &receiver;
  setup.graphIds[0] = 0;
  setup.graphIds[1] = 1;
  vel::AntMessage message;
  std::string text;
  std::size_t produced = 0;
  for (auto _ : state) {
    auto decoder = vel::MakeDecoder(static_cast<std::uint8_t>(deviceType), setup);
    for (std::uint8_t b : bytes) framer->OnByte(b);
    for (std::uint16_t n;
         (n = framer->TakeMessage(message, 0)) != vel::DSIFramerANT::kResultTimeout;) {
      decoder->ProcessMessage(message, n);
    }
    // The main window drains the queue every 100 ms; do the same work here.
    while (events.TryPop(text)) ++produced;
    while (log.TryPop(text)) {
    }
  }
  benchmark::DoNotOptimize(produced);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * payloads.size()));
  state.counters["events_per_message"] =
      static_cast<double>(produced) / static_cast<double>(state.iterations() * payloads.size());
}

void BM_HeartRateRecorded(benchmark::State& state) {
  RunPipeline(state, 120, vel::bench::HeartRatePayloads());
}
void BM_Decoder(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  RunPipeline(state, type, vel::bench::SyntheticPayloads(type, 2800));
}

BENCHMARK(BM_HeartRateRecorded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decoder)
    ->Arg(120)
    ->Arg(123)
    ->Arg(122)
    ->Arg(121)
    ->Arg(11)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
