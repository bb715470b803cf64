#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/room.h"
#include "rides/ride.h"
#include "rides/ride_recorder.h"
#include "rides/ride_summary.h"
#include "team/roster_records.h"

namespace vel {

// One rider's ride of a class, as the class summary lists it.
struct ClassRide {
  std::uint64_t memberId = 0;
  std::string memberName;
  RideSummary summary;
};

// The rides of the rider panels. A panel's ride begins when its clock is
// started with a member seated, pauses while the clock is stopped and goes
// on when it runs again, and ends when the member changes or the window
// ends. While the clock runs, one sample a second of what the panel shows
// is taken (at once when the clock starts, then every second) and kept,
// for the ride's live figures, and handed to the recorder when there is
// one; the distance is what the panel's sensor counted while the clock ran.
//
// A class is the rides from the first clock started to the moment no clock
// runs any more.
//
// User-interface thread only; times are the program's tick clock.
class PanelRides {
 public:
  static constexpr std::uint64_t kSampleMs = 1000;
  // Wall-clock time, ms since 1970 (UTC): when a ride began.
  using WallClock = std::function<std::int64_t()>;
  // What a panel shows now; its offset is filled in here.
  using Shown = std::function<RideSample(int panel)>;

  PanelRides();
  // Rides go to `recorder` too (none: they are only kept here).
  void RecordTo(RideRecorder* recorder, WallClock wallClock);

  // `body`: what the ride's summary needs of the rider, as the ride begins.
  void ClockStarted(int panel, const MemberRecord& member, const RiderBody& body, std::uint64_t now,
                    const Shown& shown);
  void ClockStopped(int panel, std::uint64_t now);
  // The member changes, or the window ends.
  void RideOver(int panel, std::uint64_t now);
  void AllRidesOver(std::uint64_t now);
  // Takes the samples that are due at `now`.
  void SampleDue(std::uint64_t now, const Shown& shown);

  bool Riding(int panel) const { return Of(panel).active; }
  // The ride under way on a panel, as summarised now; none without one.
  std::optional<RideSummary> Live(int panel) const;

  // Whether a class is under way: a clock ran since the last class ended.
  bool ClassOpen() const { return classOpen_; }
  bool AnyClockRunning() const;
  // Every ride of the class so far: those that ended, then those under way
  // (by panel) whose clock ran in it, each with at least a sample. A ride
  // resumed in a later class is that class's, whole.
  std::vector<ClassRide> ClassSoFar() const;
  // Ends the class (no clock runs any more) and gives its rides.
  std::vector<ClassRide> EndClass();

 private:
  struct Panel {
    bool active = false;  // a ride under way
    std::optional<RideRecorder::Handle> handle;
    Ride ride;
    RiderBody body;
    std::uint64_t startTick = 0;
    bool running = false;
    bool inClass = false;  // its clock ran in the class under way
    std::uint64_t nextSampleTick = 0;
    double distanceKm = 0;
    std::optional<double> lastSensorKm;          // the sensor's count at the last sample
    mutable std::optional<RideSummary> summary;  // of `ride` as it is
  };

  Panel& Of(int panel) { return panels_.at(static_cast<std::size_t>(panel)); }
  const Panel& Of(int panel) const { return panels_.at(static_cast<std::size_t>(panel)); }
  void Take(int panel, std::uint64_t now, const Shown& shown);
  std::int64_t Offset(const Panel& p, std::uint64_t now) const {
    return static_cast<std::int64_t>(now - p.startTick);
  }

  RideRecorder* recorder_ = nullptr;
  WallClock wallClock_;
  std::array<Panel, kRiderPanels> panels_{};
  bool classOpen_ = false;
  std::vector<ClassRide> classEnded_;
};

// The wall clock of the system.
std::int64_t SystemWallClockMs();

}  // namespace vel
