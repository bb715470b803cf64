// What keeping every ride costs: ten riders recording an hour through the
// program's recorder into a fresh ride store, an hour of samples fed as
// the board feeds them, with a commit every two seconds of riding as the
// writer makes them. Prints the processor time an hour of riding takes
// (user-interface thread and writer together, as a share of a core), the
// store's size after the hour, and the longest any call of the recorder
// held the user-interface thread.
//
//   bench_ride_recording [HOURS]   (default 1)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "rides/ride_store.h"
#include "rides/ride_writer.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::uintmax_t SizeOf(const fs::path& file) {
  std::uintmax_t size = 0;
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::error_code ec;
    const auto part = fs::file_size(file.string() + suffix, ec);
    if (!ec) size += part;
  }
  return size;
}

}  // namespace

int main(int argc, char** argv) {
  const double hours = argc > 1 ? std::atof(argv[1]) : 1.0;
  constexpr int kRiders = 10;
  const int seconds = static_cast<int>(std::lround(hours * 3600));
  const int perCommit = static_cast<int>(vel::RideWriter::kCommitPeriod.count() / 1000);

  const fs::path folder =
      fs::temp_directory_path() / ("vel-bench-rides-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path file = folder / vel::kRideStoreFile;
  double longestCallUs = 0;
  const auto timed = [&](auto call) {
    const auto start = Clock::now();
    call();
    longestCallUs = std::max(
        longestCallUs, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  };

  const double cpuBefore = CpuSeconds();
  {
    // The period never comes by itself: each two seconds of riding are
    // committed by a flush, as the writer's period commits them.
    vel::RideWriter writer(file, std::chrono::hours(24));
    writer.Flush();
    vel::RideRecorder::Handle rides[kRiders];
    for (int r = 0; r < kRiders; ++r) {
      timed([&] {
        rides[r] = writer.Begin({std::uint64_t(100 + r), "라이더" + std::to_string(r + 1), 0, {}});
      });
    }
    double km[kRiders] = {};
    for (int second = 0; second < seconds; ++second) {
      for (int r = 0; r < kRiders; ++r) {
        const double effort = std::sin((second + 37 * r) / 90.0);
        vel::RideSample sample;
        sample.offsetMs = second * 1000;
        sample.heartRate = static_cast<int>(140 + 20 * effort);
        sample.speed = std::round((30 + 6 * effort) * 10) / 10;
        sample.cadence = static_cast<int>(88 + 8 * effort);
        sample.power = static_cast<int>(200 + 80 * effort);
        km[r] += *sample.speed / 3600;
        sample.distance = std::round(km[r] * 100) / 100;
        sample.frontTeeth = 50;
        sample.rearTeeth = 17;
        timed([&] { writer.Record(rides[r], sample); });
      }
      if ((second + 1) % perCommit == 0) writer.Flush();
    }
    for (int r = 0; r < kRiders; ++r) timed([&] { writer.End(rides[r], seconds * 1000LL); });
  }
  const double cpu = CpuSeconds() - cpuBefore;
  {
    // Checkpointed, as the next start finds it.
    vel::RideStore store(file);
    std::printf("rides stored: %zu\n", store.List().size());
  }
  const double megabytes = static_cast<double>(SizeOf(file)) / 1e6;
  std::printf("%d riders, %.2f h of riding: %.2f s of processor time = %.4f %% of a core\n",
              kRiders, hours, cpu, 100.0 * cpu / (hours * 3600));
  std::printf("ride store after it: %.2f MB (%.2f MB an hour)\n", megabytes, megabytes / hours);
  std::printf("longest recorder call on the user-interface thread: %.1f us\n", longestCallUs);
  fs::remove_all(folder);
  return 0;
}
