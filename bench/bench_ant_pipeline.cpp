// Bytes -> framer -> TakeMessage -> heart-rate decoder -> event text, on
// one thread, for recorded strap traffic.
#include <benchmark/benchmark.h>

#include "ant/ant_receiver.h"
#include "ant/framer.h"
#include "recorded_traffic.h"
#include "sensors/heart_rate_decoder.h"
#include "sensors/sensor_queues.h"

namespace {

class Deaf : public vel::AntTransport {
 public:
  bool WriteBytes(const std::uint8_t*, std::size_t) override { return false; }
};

void BM_HeartRatePipeline(benchmark::State& state) {
  const auto bytes = vel::bench::FramesFor(vel::bench::HeartRatePayloads());
  const std::size_t messages = vel::bench::HeartRatePayloads().size();
  Deaf transport;
  auto framer = std::make_unique<vel::DSIFramerANT>(&transport);
  vel::AntReceiver receiver(framer.get());
  vel::StringQueue events;
  vel::StringQueue log;
  vel::QueueBinding bindEvents(vel::QueueBinding::Role::kEvents, events);
  vel::QueueBinding bindLog(vel::QueueBinding::Role::kLog, log);
  vel::AntMessage message;
  std::string text;
  std::size_t produced = 0;
  for (auto _ : state) {
    vel::CHRMDisplay decoder(&receiver, 3425, 0, 0, 0);
    for (std::uint8_t b : bytes) framer->OnByte(b);
    for (std::uint16_t n; (n = framer->TakeMessage(message, 0)) != vel::DSIFramerANT::kResultTimeout;) {
      decoder.ProcessMessage(message, n);
    }
    // The main window drains the queue every 100 ms; do the same work here.
    while (events.TryPop(text)) ++produced;
    while (log.TryPop(text)) {
    }
  }
  benchmark::DoNotOptimize(produced);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * messages));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_HeartRatePipeline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
