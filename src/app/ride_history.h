#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rides/ride_export.h"
#include "rides/ride_store.h"
#include "rides/ride_summary.h"

namespace vel {

// The rules of the window "라이딩 기록": the rides of the ride store newest
// first, filtered by member, a ride's summary as label and value, export
// and deletion. The store is read anew each time the window asks; a store
// that cannot be read gives an empty list and an error text.
//
// User-interface thread only; the store has a connection of its own
// there, beside the recorder's.
class RideHistory {
 public:
  static constexpr int kColumns = 7;
  static const std::array<const char*, kColumns> kColumnTitles;

  explicit RideHistory(std::filesystem::path storeFile);
  ~RideHistory();

  // Reads the members and the rides anew. False (with Error()) when the
  // store cannot be read.
  bool Refresh();
  const std::string& Error() const { return error_; }

  // The members that have rides, by name, for the filter.
  const std::vector<std::pair<std::uint64_t, std::string>>& Members() const { return members_; }
  // Only this member's rides (none: everyone's), as Refresh reads them.
  void Filter(std::optional<std::uint64_t> memberId);
  const std::vector<RideListing>& Rides() const { return rides_; }

  // A listed ride's row: date and time, member, riding time, distance,
  // average power, average heart rate, calories.
  static std::array<std::string, kColumns> RowTexts(const RideListing& ride);

  // A ride with its summary, for the summary and the graph.
  struct Selected {
    StoredRide stored;
    RideSummary summary;
  };
  std::optional<Selected> Load(std::int64_t id);
  // The summary as the window shows it, a label and a value a line.
  static std::vector<std::pair<std::string, std::string>> SummaryLines(const RideSummary& summary);

  std::vector<ExportedRide> Export(const std::vector<std::int64_t>& ids, RideFileFormat format,
                                   const std::filesystem::path& folder);
  // What the window says after an export.
  static std::string ExportMessage(const std::vector<ExportedRide>& exported,
                                   const std::filesystem::path& folder);
  // Deletes the rides; false (with Error()) when the store refused.
  bool Delete(const std::vector<std::int64_t>& ids);
  static std::string DeleteQuestion(std::size_t rides);

 private:
  RideStore* Store();

  std::filesystem::path file_;
  std::unique_ptr<RideStore> store_;
  std::optional<std::uint64_t> filter_;
  std::vector<std::pair<std::uint64_t, std::string>> members_;
  std::vector<RideListing> rides_;
  std::string error_;
};

}  // namespace vel
