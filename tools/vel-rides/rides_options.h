#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "rides/ride_export.h"

namespace vel {

// A vel-rides command line: the ride store and one command on it.
struct RidesOptions {
  enum class Command { kList, kShow, kExport, kRider };

  std::filesystem::path database;
  Command command = Command::kList;
  bool json = false;                             // list
  std::vector<std::int64_t> ids;                 // show (one), export (none: every ride)
  RideFileFormat format = RideFileFormat::kFit;  // export
  std::filesystem::path out;                     // export
  std::uint64_t memberId = 0;                    // rider
  // rider: the settings given, to be kept; none given: printed only.
  std::optional<int> maxHeartRate, ftp, birthYear;
};

// Parses the command line (without the program name). On failure returns
// nothing and sets `error` to a one-line reason.
std::optional<RidesOptions> ParseRidesOptions(const std::vector<std::string>& args,
                                              std::string& error);

}  // namespace vel
