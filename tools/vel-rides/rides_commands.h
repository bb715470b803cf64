#pragma once

#include <iosfwd>

#include "rides_options.h"

namespace vel {

// Runs one vel-rides command: results to `out`, a failure as one line to
// `err`. Returns the exit status: 0, or 2 for a missing database, an
// unknown ride or a failed export.
int RunRidesCommand(const RidesOptions& options, std::ostream& out, std::ostream& err);

}  // namespace vel
