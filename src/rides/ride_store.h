#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/sqlite_connection.h"
#include "rides/ride.h"
#include "rides/ride_recorder.h"
#include "rides/ride_summary.h"
#include "rides/rider_settings.h"

namespace vel {

// The ride store's file, in the working folder beside VEL.json.
inline constexpr char kRideStoreFile[] = "VEL.db";

// What a recorder hands the store: one call of the RideRecorder port.
struct RideChange {
  enum class Kind { kBegin, kSample, kPause, kResume, kEnd };
  Kind kind = Kind::kSample;
  RideRecorder::Handle ride = 0;
  RideStart start;            // kBegin
  RideSample sample;          // kSample
  std::int64_t offsetMs = 0;  // kPause, kResume, kEnd
};

// A ride as the history lists it, with the figures kept from its summary.
struct RideListing {
  std::int64_t id = 0;
  std::uint64_t memberId = 0;
  std::string memberName;
  std::int64_t startUtcMs = 0;
  double ridingSeconds = 0;
  double distanceKm = 0;
  std::optional<double> avgPower;
  std::optional<double> avgHeartRate;
  std::optional<double> kcal;
  bool open = false;  // still being ridden
};

// A ride with what its summary needs to know of the rider.
struct StoredRide {
  Ride ride;
  RiderBody body;
};

// The rides of this computer's riders in an SQLite database (VEL.db): one
// row a ride, its clock's spans, one row a sample. Write-ahead log with a
// full sync on commit, so that what was committed survives a power cut;
// readers never wait for the writer. The file is the user's alone.
//
// One object is one connection: one thread uses it at a time. A program
// has one writing store (RideWriter's) and may open others to read. Every
// operation throws SqliteError when the database fails; a failed Apply
// keeps nothing of its changes.
class RideStore {
 public:
  explicit RideStore(const std::filesystem::path& file);

  // Ends the rides left open by a program that is no longer running (it
  // was killed, or the power went), at their last stored sample, and
  // keeps them. Returns how many.
  int CloseAbandonedRides();

  // Stores the changes in one transaction. The handles are the recorder's;
  // a handle whose Begin this store never took is skipped.
  void Apply(const std::vector<RideChange>& changes);

  // Newest first; only one member's with `memberId`.
  std::vector<RideListing> List(std::optional<std::uint64_t> memberId = std::nullopt);
  std::optional<StoredRide> Load(std::int64_t id);
  // False when there is no such ride.
  bool Delete(std::int64_t id);
  // The members that have rides, by name.
  std::vector<std::pair<std::uint64_t, std::string>> Members();

  // A rider's own settings; none set: all empty.
  RiderSettings Rider(std::uint64_t memberId);
  std::map<std::uint64_t, RiderSettings> Riders();
  // Keeps them as they are given (an empty one clears it); the caller
  // checks them first (RefusedRiderSettings).
  void SetRider(std::uint64_t memberId, const RiderSettings& settings);

 private:
  // Where the store stands with a ride a recorder is still riding.
  struct OpenRide {
    std::int64_t id = 0;
    std::optional<std::int64_t> spanBegin;  // none while the clock is stopped
  };
  class Unit;

  void CloseRide(Unit& unit, std::int64_t id, bool recovered);

  SqliteConnection connection_;
  std::map<RideRecorder::Handle, OpenRide> open_;
};

}  // namespace vel
