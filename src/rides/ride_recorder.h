#pragma once

#include <cstdint>
#include <string>

#include "rides/ride.h"
#include "rides/ride_summary.h"

namespace vel {

// What a ride begins with: whose it is, when, and what its summary needs
// to know of the rider.
struct RideStart {
  std::uint64_t memberId = 0;
  std::string memberName;
  std::int64_t startUtcMs = 0;
  RiderBody body;
};

// Where the rider panels' rides go, one call a second while a clock runs.
// The board calls it on the user-interface thread and never waits on a
// disk behind it: an implementation takes the calls in memory and stores
// them elsewhere.
class RideRecorder {
 public:
  using Handle = std::uint64_t;

  virtual ~RideRecorder() = default;
  // A ride begins with its clock running from offset 0.
  virtual Handle Begin(const RideStart& start) = 0;
  // One sample, offsets rising.
  virtual void Record(Handle ride, const RideSample& sample) = 0;
  // The clock stopped at `offsetMs`: the running span ends there.
  virtual void Pause(Handle ride, std::int64_t offsetMs) = 0;
  // The clock runs again from `offsetMs`: a new span begins.
  virtual void Resume(Handle ride, std::int64_t offsetMs) = 0;
  // The ride is over; a running span ends at `offsetMs`. A ride without
  // a single sample is not kept.
  virtual void End(Handle ride, std::int64_t offsetMs) = 0;
};

}  // namespace vel
