#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "common/room.h"
#include "rides/ride.h"
#include "rides/ride_recorder.h"
#include "team/roster_records.h"

namespace vel {

// The rides of the rider panels. A panel's ride begins when its clock is
// started with a member seated, pauses while the clock is stopped and goes
// on when it runs again, and ends when the member changes or the window
// ends. While the clock runs, one sample a second of what the panel shows
// goes to the recorder (at once when the clock starts, then every second);
// the distance is what the panel's sensor counted while the clock ran.
//
// User-interface thread only; times are the program's tick clock.
class PanelRides {
 public:
  static constexpr std::uint64_t kSampleMs = 1000;
  // Wall-clock time, ms since 1970 (UTC): when a ride began.
  using WallClock = std::function<std::int64_t()>;
  // What a panel shows now; its offset is filled in here.
  using Shown = std::function<RideSample(int panel)>;

  PanelRides() = default;
  // Rides go to `recorder` (none: nothing is recorded).
  void RecordTo(RideRecorder* recorder, WallClock wallClock);

  void ClockStarted(int panel, const MemberRecord& member, std::uint64_t now, const Shown& shown);
  void ClockStopped(int panel, std::uint64_t now);
  // The member changes, or the window ends.
  void RideOver(int panel, std::uint64_t now);
  void AllRidesOver(std::uint64_t now);
  // Takes the samples that are due at `now`.
  void SampleDue(std::uint64_t now, const Shown& shown);

  bool Riding(int panel) const { return Of(panel).handle.has_value(); }

 private:
  struct Panel {
    std::optional<RideRecorder::Handle> handle;  // a ride under way
    std::uint64_t startTick = 0;
    bool running = false;
    std::uint64_t nextSampleTick = 0;
    double distanceKm = 0;
    std::optional<double> lastSensorKm;  // the sensor's count at the last sample
  };

  Panel& Of(int panel) { return panels_.at(static_cast<std::size_t>(panel)); }
  const Panel& Of(int panel) const { return panels_.at(static_cast<std::size_t>(panel)); }
  void Take(int panel, std::uint64_t now, const Shown& shown);

  RideRecorder* recorder_ = nullptr;
  WallClock wallClock_;
  std::array<Panel, kRiderPanels> panels_{};
};

// The wall clock of the system.
std::int64_t SystemWallClockMs();

}  // namespace vel
