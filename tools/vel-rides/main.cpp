// vel-rides: the rides of the ride store (VEL.db) for operators and
// scripts: list them, show one's summary, export them as FIT or CSV.
#include <iostream>

#include "rides_commands.h"
#include "rides_options.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kTool = "vel-rides";

constexpr const char* kUsage =
    "usage: vel-rides --db FILE list [--json]\n"
    "       vel-rides --db FILE show ID\n"
    "       vel-rides --db FILE export --format fit|csv --out DIR [ID...]   (no ID: every ride)\n"
    "       vel-rides --db FILE rider MEMBER_ID [--max-hr N] [--ftp W] [--birth-year Y]";

}  // namespace

int main(int argc, char** argv) {
  return vel::tools::RunWithOptions(argc, argv, kTool, kUsage, vel::ParseRidesOptions,
                                    [](const vel::RidesOptions& options) {
                                      return vel::RunRidesCommand(options, std::cout, std::cerr);
                                    });
}
