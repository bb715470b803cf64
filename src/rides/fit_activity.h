#pragma once

#include <cstdint>
#include <vector>

#include "rides/ride.h"
#include "rides/ride_summary.h"

namespace vel {

// The ride as a FIT activity file for Garmin Connect, Strava and the like:
// file_id, a timer start at the beginning of each span and a timer stop_all
// at its end, one record a sample, then one lap and one session over the
// whole ride (indoor cycling) and the activity, all at the ride's end.
//
// A value a sample or the summary does not have is left out of its
// message, never written as 0. Every figure goes into its field as
// value × the field's scale, rounded half away from zero (std::llround)
// and held to the field's range (0 up to one below its "invalid"; an
// infinite or NaN figure is left out); a decoded figure is so within half
// a step of ours:
//   speeds        km/h × (1000 / 3.6)  (mm/s, uint16: at most 235.9 km/h)
//   distance      km × 100000          (cm, uint32)
//   times         s × 1000             (ms, uint32)
//   heart rate, cadence                (whole, uint8: at most 254)
//   power, normalized power            (whole W, uint16)
//   work          kJ × 1000            (J, uint32)
//   calories      kcal                 (whole, uint16)
// Times are whole seconds (FIT's), rounded down from the ride's ms.
std::vector<std::uint8_t> FitActivityFile(const Ride& ride, const RideSummary& summary);

}  // namespace vel
