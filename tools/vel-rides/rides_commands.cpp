#include "rides_commands.h"

#include <cpprest/json.h>

#include <cmath>
#include <exception>
#include <ostream>

#include "common/string_printf.h"
#include "rides/ride_store.h"
#include "rides/ride_summary.h"
#include "rides/ride_time.h"

namespace vel {
namespace {

using web::json::value;

// Figures as a reader wants them, not to the last bit of a double.
value Rounded(double figure, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return value::number(std::round(figure * scale) / scale);
}

template <typename T>
value Rounded(const std::optional<T>& figure, int decimals) {
  return figure ? Rounded(static_cast<double>(*figure), decimals) : value::null();
}

// The studio's local time with its offset: 2026-12-09T14:05:00+09:00.
std::string LocalIso(std::int64_t utcMs) {
  const auto local = LocalTimeAt(utcMs);
  if (!local) return "";
  const long offset = local->tm_gmtoff / 60;
  return StringPrintf("%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local->tm_year + 1900,
                      local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min,
                      local->tm_sec, offset < 0 ? '-' : '+', std::labs(offset) / 60,
                      std::labs(offset) % 60);
}

value Listed(const RideListing& ride) {
  value json = value::object(true);
  json["id"] = value::number(ride.id);
  json["memberid"] = value::number(ride.memberId);
  json["membername"] = value::string(ride.memberName);
  json["start"] = value::string(LocalIso(ride.startUtcMs));
  json["ridingseconds"] = Rounded(ride.ridingSeconds, 0);
  json["distance"] = Rounded(ride.distanceKm, 3);
  json["avgpower"] = Rounded(ride.avgPower, 0);
  json["avgheartrate"] = Rounded(ride.avgHeartRate, 0);
  json["kcal"] = Rounded(ride.kcal, 0);
  return json;
}

value Shown(const StoredRide& stored) {
  const RideSummary s = Summarise(stored.ride, stored.body);
  value json = value::object(true);
  json["id"] = value::number(stored.ride.id);
  json["memberid"] = value::number(stored.ride.memberId);
  json["membername"] = value::string(stored.ride.memberName);
  json["start"] = value::string(LocalIso(stored.ride.startUtcMs));
  json["ridingseconds"] = Rounded(s.ridingSeconds, 0);
  json["elapsedseconds"] = Rounded(s.elapsedSeconds, 0);
  json["distance"] = Rounded(s.distanceKm, 3);
  json["avgspeed"] = Rounded(s.avgSpeed, 1);
  json["maxspeed"] = Rounded(s.maxSpeed, 1);
  json["avgcadence"] = Rounded(s.avgCadence, 0);
  json["maxcadence"] = Rounded(s.maxCadence, 0);
  json["avgheartrate"] = Rounded(s.avgHeartRate, 0);
  json["maxheartrate"] = Rounded(s.maxHeartRate, 0);
  json["avgpower"] = Rounded(s.avgPower, 0);
  json["maxpower"] = Rounded(s.maxPower, 0);
  json["normalizedpower"] = Rounded(s.normalizedPower, 0);
  json["workkj"] = Rounded(s.workKj, 1);
  json["kcal"] = Rounded(s.kcal, 0);
  json["caloriesfrom"] =
      s.caloriesFrom == RideSummary::CaloriesFrom::kPower       ? value::string("power")
      : s.caloriesFrom == RideSummary::CaloriesFrom::kHeartRate ? value::string("heartrate")
                                                                : value::null();
  json["samples"] = value::number(static_cast<std::uint64_t>(stored.ride.samples.size()));
  json["recovered"] = value::boolean(stored.ride.recovered);
  return json;
}

value RiderJson(std::uint64_t memberId, const RiderSettings& settings) {
  const auto optional = [](const std::optional<int>& v) {
    return v ? value::number(*v) : value::null();
  };
  value json = value::object(true);
  json["memberid"] = value::number(memberId);
  json["maxheartrate"] = optional(settings.maxHeartRate);
  json["ftp"] = optional(settings.ftp);
  json["birthyear"] = optional(settings.birthYear);
  const auto max = EffectiveMaxHeartRate(settings, ThisYear());
  json["zonemaxheartrate"] = max ? value::number(max->bpm) : value::null();
  json["estimated"] = value::boolean(max && max->estimated);
  return json;
}

// The tool speaks English on its error line, as the others do.
std::string RefusedInEnglish(const RiderSettings& s) {
  const int year = ThisYear();
  if (s.maxHeartRate &&
      (*s.maxHeartRate < kLowestMaxHeartRate || *s.maxHeartRate > kHighestMaxHeartRate)) {
    return "--max-hr must be " + std::to_string(kLowestMaxHeartRate) + " to " +
           std::to_string(kHighestMaxHeartRate);
  }
  if (s.ftp && (*s.ftp < kLowestFtp || *s.ftp > kHighestFtp)) {
    return "--ftp must be " + std::to_string(kLowestFtp) + " to " + std::to_string(kHighestFtp) +
           " W";
  }
  return "--birth-year must be " + std::to_string(kEarliestBirthYear) + " to " +
         std::to_string(year);
}

}  // namespace

int RunRidesCommand(const RidesOptions& options, std::ostream& out, std::ostream& err) {
  const auto fail = [&](const std::string& why) {
    err << "vel-rides: " << why << "\n";
    return 2;
  };
  std::error_code ec;
  const bool setting = options.command == RidesOptions::Command::kRider &&
                       (options.maxHeartRate || options.ftp || options.birthYear);
  // Riders may be set up before their first ride; the rest needs rides.
  if (!setting && !std::filesystem::is_regular_file(options.database, ec)) {
    return fail("no ride store '" + options.database.string() + "'");
  }
  try {
    RideStore store(options.database);
    // A ride a killed program left open is ended now, as the program would.
    store.CloseAbandonedRides();
    switch (options.command) {
      case RidesOptions::Command::kList:
        for (const RideListing& ride : store.List()) {
          if (options.json) {
            out << Listed(ride).serialize() << "\n";
          } else {
            out << StringPrintf("%6lld  %s  %-20s %9s %8.2f km", static_cast<long long>(ride.id),
                                LocalIso(ride.startUtcMs).substr(0, 16).c_str(),
                                ride.memberName.c_str(), ClockText(ride.ridingSeconds).c_str(),
                                ride.distanceKm)
                << (ride.open ? "  (riding)" : "") << "\n";
          }
        }
        return 0;
      case RidesOptions::Command::kShow: {
        const auto stored = store.Load(options.ids.front());
        if (!stored) return fail("no ride " + std::to_string(options.ids.front()));
        out << Shown(*stored).serialize() << "\n";
        return 0;
      }
      case RidesOptions::Command::kRider: {
        RiderSettings settings = store.Rider(options.memberId);
        if (setting) {
          if (options.maxHeartRate) settings.maxHeartRate = options.maxHeartRate;
          if (options.ftp) settings.ftp = options.ftp;
          if (options.birthYear) settings.birthYear = options.birthYear;
          if (const std::string refused = RefusedRiderSettings(settings, ThisYear());
              !refused.empty()) {
            return fail(RefusedInEnglish(settings));
          }
          store.SetRider(options.memberId, settings);
        }
        out << RiderJson(options.memberId, settings).serialize() << "\n";
        return 0;
      }
      case RidesOptions::Command::kExport: {
        std::vector<std::int64_t> ids = options.ids;
        if (ids.empty()) {
          for (const RideListing& ride : store.List()) ids.push_back(ride.id);
        }
        int status = 0;
        for (const ExportedRide& ride : ExportRides(store, ids, options.format, options.out)) {
          if (ride.file.empty()) {
            status = fail("ride " + std::to_string(ride.id) + ": " + ride.error);
          } else {
            out << ride.file.string() << "\n";
          }
        }
        return status;
      }
    }
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  return 0;
}

}  // namespace vel
