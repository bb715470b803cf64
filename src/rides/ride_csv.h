#pragma once

#include <string>

#include "rides/ride.h"

namespace vel {

// The ride's samples as a spreadsheet opens them: UTF-8 with a byte-order
// mark (so that Excel shows the Korean header), a header row, then a row a
// sample with its seconds since the start, the studio's clock time,
// heart rate, speed (km/h, one decimal), cadence, power, distance (km, two
// decimals) and the gear's teeth. A value the sample has not is an empty
// cell. Lines end in LF alone: every spreadsheet and script reads it, and
// no cell holds a line break that CRLF would have to tell apart. Numbers
// have a decimal point whatever the locale.
std::string RideCsv(const Ride& ride);

}  // namespace vel
