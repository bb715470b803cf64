// Bytes -> framer -> TakeMessage -> decoder -> event text -> the queue the
// main window drains, on one thread, for each kind of sensor; the
// heart-rate case uses the recorded strap. The bytes come in reads of 4096
// messages, as from a busy stick, and every event is taken back after each
// read.
//
// Payload files: 8 bytes per message, nothing else, so that the same
// payloads can be fed to other programs' decoders.
//   bench_ant_pipeline --payloads=FILE --device-type=N [benchmark flags]
//     adds BM_PayloadFile, FILE decoded as a sensor of ANT+ device type N;
//   bench_ant_pipeline --write-payloads=FILE --device-type=N [--count=M]
//     writes M (default 1000000) synthetic payloads of that type and stops.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "ant/ant_receiver.h"
#include "ant/framer.h"
#include "common/queues.h"
#include "recorded_traffic.h"
#include "sensors/sensor_kinds.h"

namespace {

using Payloads = std::vector<std::vector<std::uint8_t>>;

constexpr std::size_t kMessagesPerRead = 4096;

class Deaf : public vel::AntTransport {
 public:
  bool WriteBytes(const std::uint8_t*, std::size_t) override { return false; }
};

void RunPipeline(benchmark::State& state, int deviceType, const Payloads& payloads) {
  const auto bytes = vel::bench::FramesFor(payloads);
  const std::size_t readSize =
      payloads.empty() ? 1 : bytes.size() / payloads.size() * kMessagesPerRead;
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
  vel::StringBatch drained;
  std::size_t produced = 0;
  std::size_t characters = 0;
  for (auto _ : state) {
    auto decoder = vel::MakeDecoder(deviceType, setup);
    for (std::size_t at = 0; at < bytes.size(); at += readSize) {
      framer->OnBytes(bytes.data() + at, std::min(readSize, bytes.size() - at));
      for (std::uint16_t n;
           (n = framer->TakeMessage(message, 0)) != vel::DSIFramerANT::kResultTimeout;) {
        decoder->ProcessMessage(message, n);
      }
      events.TakeAll(drained);
      drained.ForEach([&](std::string_view text) {
        ++produced;
        characters += text.size();
      });
    }
    log.TakeAll(drained);
  }
  benchmark::DoNotOptimize(characters);
  const auto messages = static_cast<double>(state.iterations() * payloads.size());
  state.SetItemsProcessed(static_cast<std::int64_t>(messages));
  state.counters["events_per_message"] = static_cast<double>(produced) / messages;
  state.counters["events_per_second"] =
      benchmark::Counter(static_cast<double>(produced), benchmark::Counter::kIsRate);
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

// Takes "--name=value" out of the arguments, so that the benchmark
// library sees only its own.
std::string TakeOption(int& argc, char** argv, const char* name) {
  const std::string prefix = std::string("--") + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) != 0) continue;
    std::string value = argv[i] + prefix.size();
    for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
    --argc;
    return value;
  }
  return {};
}

Payloads ReadPayloadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  Payloads payloads;
  for (std::size_t at = 0; at + 8 <= bytes.size(); at += 8) {
    payloads.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
  }
  return payloads;
}

bool WritePayloadFile(const std::string& path, const Payloads& payloads) {
  std::ofstream out(path, std::ios::binary);
  for (const auto& p : payloads) {
    out.write(reinterpret_cast<const char*>(p.data()), static_cast<std::streamsize>(p.size()));
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string payloadFile = TakeOption(argc, argv, "payloads");
  const std::string writeFile = TakeOption(argc, argv, "write-payloads");
  const std::string typeText = TakeOption(argc, argv, "device-type");
  const std::string countText = TakeOption(argc, argv, "count");
  const int deviceType = typeText.empty() ? 0 : std::atoi(typeText.c_str());
  if ((!payloadFile.empty() || !writeFile.empty()) && !vel::IsDecodedDeviceType(deviceType)) {
    std::fprintf(stderr, "bench_ant_pipeline: --device-type must be one of %s\n",
                 vel::DecodedDeviceTypesText().c_str());
    return 2;
  }
  if (!writeFile.empty()) {
    const int count = countText.empty() ? 1000000 : std::atoi(countText.c_str());
    if (!WritePayloadFile(writeFile, vel::bench::SyntheticPayloads(deviceType, count))) {
      std::fprintf(stderr, "bench_ant_pipeline: cannot write %s\n", writeFile.c_str());
      return 1;
    }
    return 0;
  }
  Payloads filePayloads;
  if (!payloadFile.empty()) {
    filePayloads = ReadPayloadFile(payloadFile);
    if (filePayloads.empty()) {
      std::fprintf(stderr, "bench_ant_pipeline: no 8-byte payloads in %s\n", payloadFile.c_str());
      return 1;
    }
    benchmark::RegisterBenchmark("BM_PayloadFile", [&](benchmark::State& state) {
      RunPipeline(state, deviceType, filePayloads);
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
