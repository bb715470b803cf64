#include "rides_options.h"

#include "tools/common/parse_number.h"

namespace vel {

std::optional<RidesOptions> ParseRidesOptions(const std::vector<std::string>& args,
                                              std::string& error) {
  RidesOptions options;
  std::optional<std::string> command;
  bool haveFormat = false;
  const auto value = [&](std::size_t& i, const char* what) -> std::optional<std::string> {
    if (i + 1 >= args.size()) {
      error = std::string(args[i]) + " needs " + what;
      return std::nullopt;
    }
    return args[++i];
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--db") {
      const auto file = value(i, "a database file");
      if (!file) return std::nullopt;
      options.database = *file;
    } else if (arg == "--json" && command == "list") {
      options.json = true;
    } else if (arg == "--format" && command == "export") {
      const auto format = value(i, "fit or csv");
      if (!format) return std::nullopt;
      if (*format != "fit" && *format != "csv") {
        error = "bad --format '" + *format + "': fit or csv";
        return std::nullopt;
      }
      options.format = *format == "fit" ? RideFileFormat::kFit : RideFileFormat::kCsv;
      haveFormat = true;
    } else if (arg == "--out" && command == "export") {
      const auto out = value(i, "a folder");
      if (!out) return std::nullopt;
      options.out = *out;
    } else if (command == "rider" &&
               (arg == "--max-hr" || arg == "--ftp" || arg == "--birth-year")) {
      const auto number = value(i, "a whole number");
      if (!number) return std::nullopt;
      int parsed = 0;
      if (!tools::ParseNumber(*number, parsed)) {
        error = "bad " + arg + " '" + *number + "': a whole number";
        return std::nullopt;
      }
      (arg == "--max-hr" ? options.maxHeartRate
       : arg == "--ftp"  ? options.ftp
                         : options.birthYear) = parsed;
    } else if (command == "rider" && options.memberId == 0 && !arg.starts_with("-")) {
      if (!tools::ParseNumber(arg, options.memberId) || options.memberId == 0) {
        error = "bad member id '" + arg + "'";
        return std::nullopt;
      }
    } else if (!command && (arg == "list" || arg == "show" || arg == "export" || arg == "rider")) {
      command = arg;
    } else if ((command == "show" || command == "export") && !arg.starts_with("-")) {
      std::int64_t id = 0;
      if (!tools::ParseNumber(arg, id) || id <= 0) {
        error = "bad ride id '" + arg + "'";
        return std::nullopt;
      }
      options.ids.push_back(id);
    } else {
      error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
  }
  if (options.database.empty()) {
    error = "--db FILE is needed";
    return std::nullopt;
  }
  if (!command) {
    error = "a command is needed: list, show, export or rider";
    return std::nullopt;
  }
  if (*command == "list") {
    options.command = RidesOptions::Command::kList;
  } else if (*command == "show") {
    options.command = RidesOptions::Command::kShow;
    if (options.ids.size() != 1) {
      error = "show needs one ride id";
      return std::nullopt;
    }
  } else if (*command == "rider") {
    options.command = RidesOptions::Command::kRider;
    if (options.memberId == 0) {
      error = "rider needs a member id";
      return std::nullopt;
    }
  } else {
    options.command = RidesOptions::Command::kExport;
    if (!haveFormat || options.out.empty()) {
      error = "export needs --format fit|csv and --out DIR";
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace vel
