#include "rides/ride_export.h"

#include <exception>
#include <system_error>

#include "common/atomic_file.h"
#include "rides/fit_activity.h"
#include "rides/ride_csv.h"
#include "rides/ride_file_name.h"
#include "rides/ride_summary.h"

namespace vel {

std::vector<ExportedRide> ExportRides(RideStore& store, const std::vector<std::int64_t>& ids,
                                      RideFileFormat format, const std::filesystem::path& folder) {
  std::vector<ExportedRide> exported;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (const std::int64_t id : ids) {
    ExportedRide result;
    result.id = id;
    try {
      const auto stored = store.Load(id);
      if (!stored) {
        result.error = "no ride " + std::to_string(id);
      } else {
        const bool fit = format == RideFileFormat::kFit;
        const std::filesystem::path file = folder / RideFileName(stored->ride, fit ? "fit" : "csv");
        std::string error;
        bool written = false;
        if (fit) {
          const auto bytes = FitActivityFile(stored->ride, Summarise(stored->ride, stored->body));
          written = WriteFileAtomically(file, bytes, 0644, &error);
        } else {
          const std::string text = RideCsv(stored->ride);
          written = WriteFileAtomically(
              file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, 0644,
              &error);
        }
        if (written) {
          result.file = file;
        } else {
          result.error = error;
        }
      }
    } catch (const std::exception& e) {
      result.error = e.what();
    }
    exported.push_back(std::move(result));
  }
  return exported;
}

}  // namespace vel
