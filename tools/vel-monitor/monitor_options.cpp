#include "monitor_options.h"

#include <cmath>
#include <set>

#include "sensors/sensor_kinds.h"
#include "tools/common/parse_number.h"

namespace vel {
namespace {

using tools::ParseNumber;

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1) {
    parts.push_back(text.substr(start, colon - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool Panel(const std::string& text, int& panel) {
  return ParseNumber(text, panel) && panel >= 0 && panel <= 9;
}

}  // namespace

std::optional<MonitorOptions> ParseMonitorOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
  MonitorOptions o;
  auto value = [&](std::size_t& i, const std::string& name) -> std::optional<std::string> {
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return std::nullopt;
    }
    return args[++i];
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--log") {
      o.log = true;
    } else if (arg == "--all-riders") {
      o.allRiders = true;
    } else if (arg == "--sensor") {
      const auto v = value(i, arg);
      if (!v) return std::nullopt;
      const auto parts = Split(*v);
      MonitorOptions::Sensor s{};
      if (parts.size() != 3 || !Panel(parts[0], s.panel) || !ParseNumber(parts[1], s.deviceType) ||
          !IsDecodedDeviceType(s.deviceType) || !ParseNumber(parts[2], s.deviceNumber) ||
          s.deviceNumber < 0 || s.deviceNumber > 65535) {
        error = "bad --sensor '" + *v + "': expected PANEL(0-9):TYPE(11,120-123):NUMBER(0-65535)";
        return std::nullopt;
      }
      o.sensors.push_back(s);
    } else if (arg == "--server") {
      const auto v = value(i, arg);
      if (!v) return std::nullopt;
      if (v->rfind("http://", 0) != 0 && v->rfind("https://", 0) != 0) {
        error = "bad --server '" + *v + "': expected an http:// or https:// address";
        return std::nullopt;
      }
      o.server = *v;
    } else if (arg == "--account") {
      const auto v = value(i, arg);
      if (!v) return std::nullopt;
      std::uint64_t id = 0;
      if (!ParseNumber(*v, id)) {
        error = "bad --account '" + *v + "': expected the account number";
        return std::nullopt;
      }
      o.account = id;
    } else if (arg == "--rider") {
      const auto v = value(i, arg);
      if (!v) return std::nullopt;
      const auto parts = Split(*v);
      MonitorOptions::Rider r{};
      if (parts.size() != 2 || !Panel(parts[0], r.panel) || !ParseNumber(parts[1], r.memberId)) {
        error = "bad --rider '" + *v + "': expected PANEL(0-9):MEMBER_ID";
        return std::nullopt;
      }
      o.riders.push_back(r);
    } else if (arg == "--rides") {
      const auto v = value(i, arg);
      if (!v) return std::nullopt;
      o.rides = *v;
    } else if (arg == "--seconds") {
      const auto v = value(i, arg);
      if (!v) return std::nullopt;
      double seconds = 0;
      if (!ParseNumber(*v, seconds) || !std::isfinite(seconds) || seconds <= 0) {
        error = "bad --seconds '" + *v + "': expected a number of seconds above 0";
        return std::nullopt;
      }
      o.seconds = seconds;
    } else {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    }
  }
  if ((!o.riders.empty() || o.allRiders) && (o.server.empty() || !o.account)) {
    error = "--rider and --all-riders need --server and --account";
    return std::nullopt;
  }
  if (o.allRiders && (!o.riders.empty() || !o.sensors.empty())) {
    error = "--all-riders fills every panel: no --rider or --sensor beside it";
    return std::nullopt;
  }
  if (!o.rides.empty() && o.riders.empty() && !o.allRiders) {
    error = "--rides records seated riders: give --rider or --all-riders";
    return std::nullopt;
  }
  if (o.sensors.empty() && o.riders.empty() && !o.allRiders) {
    error = "nothing to watch: give --sensor, or --server with --account and --rider";
    return std::nullopt;
  }
  std::set<int> riderPanels;
  for (const auto& r : o.riders) {
    if (!riderPanels.insert(r.panel).second) {
      error = "panel " + std::to_string(r.panel) + " has two riders";
      return std::nullopt;
    }
  }
  for (const auto& s : o.sensors) {
    if (riderPanels.count(s.panel) != 0) {
      error = "panel " + std::to_string(s.panel) + " has a rider and a --sensor";
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace vel
