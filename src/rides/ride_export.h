#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "rides/ride_store.h"

namespace vel {

enum class RideFileFormat { kFit, kCsv };

// What became of one ride's export: the file written, or why not.
struct ExportedRide {
  std::int64_t id = 0;
  std::filesystem::path file;  // empty when it failed
  std::string error;
};

// Writes each ride to `folder` as one file of `format`, named by
// RideFileName, whole or not at all; a file of the same name (the same ride
// exported before) is replaced. The folder is made when it is missing. The store's thread only.
std::vector<ExportedRide> ExportRides(RideStore& store, const std::vector<std::int64_t>& ids,
                                      RideFileFormat format, const std::filesystem::path& folder);

}  // namespace vel
