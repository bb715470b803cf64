#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vel {

struct LoadOptions {
  std::string url;  // empty: start a server in-process on free ports
  int clients = 8;
  int requests = 500;  // per client
};

// What --help prints (without the last line break).
extern const char kLoadUsage[];

// The options of a command line (without the program name); no value, with
// `error` set, for an unknown option, a missing value or a count outside
// 1 to 100000. A lone --help is answered before (tools/common/command_line.h).
std::optional<LoadOptions> ParseLoadOptions(const std::vector<std::string>& args,
                                            std::string& error);

}  // namespace vel
