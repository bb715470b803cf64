#include "replay_options.h"

#include <cctype>
#include <cmath>

#include "sensors/sensor_kinds.h"
#include "tools/common/parse_number.h"

namespace vel {
namespace {

using tools::ParseNumber;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<ChannelSpec> ParseChannelSpec(std::string_view text, std::string& error) {
  const std::string shown(text);
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon - start));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  unsigned channel = 0;
  unsigned type = 0;
  if (parts.size() < 2 || parts.size() > 3 || !ParseNumber(parts[0], channel) || channel > 255 ||
      !ParseNumber(parts[1], type) || type > 255) {
    error = "bad --channel '" + shown + "': expected C:TYPE[:CIRCUMFERENCE_M]";
    return std::nullopt;
  }
  if (!IsDecodedDeviceType(static_cast<int>(type))) {
    error =
        "bad --channel '" + shown + "': device type " + std::to_string(type) + " has no decoder";
    return std::nullopt;
  }
  ChannelSpec spec;
  spec.channel = static_cast<std::uint8_t>(channel);
  spec.deviceType = static_cast<std::uint8_t>(type);
  if (parts.size() == 3) {
    if (!FindSensorKind(static_cast<int>(type))->usesWheel) {
      error =
          "bad --channel '" + shown + "': a wheel circumference applies to types 121, 123 and 11";
      return std::nullopt;
    }
    float metres = 0;
    if (!ParseNumber(parts[2], metres) || !std::isfinite(metres) || metres < 0 || metres > 10) {
      error = "bad --channel '" + shown + "': circumference must be metres between 0 and 10";
      return std::nullopt;
    }
    spec.wheelCircumferenceM = metres;
  }
  return spec;
}

std::optional<ReplayOptions> ParseReplayOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  ReplayOptions options;
  bool haveInput = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--hex") {
      options.hex = true;
    } else if (arg == "--log") {
      options.log = true;
    } else if (arg == "--channel" || arg.rfind("--channel=", 0) == 0) {
      std::string value;
      if (arg == "--channel") {
        if (i + 1 >= args.size()) {
          error = "--channel needs a value C:TYPE[:CIRCUMFERENCE_M]";
          return std::nullopt;
        }
        value = args[++i];
      } else {
        value = arg.substr(10);
      }
      auto spec = ParseChannelSpec(value, error);
      if (!spec) return std::nullopt;
      options.channels.push_back(*spec);
    } else if (arg != "-" && arg.rfind("-", 0) == 0) {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    } else {
      if (haveInput) {
        error = "more than one input given ('" + options.input + "' and '" + arg + "')";
        return std::nullopt;
      }
      options.input = arg;
      haveInput = true;
    }
  }
  if (options.channels.empty()) {
    error = "no --channel given";
    return std::nullopt;
  }
  if (!haveInput) {
    error = "no input given (a file, or - for standard input)";
    return std::nullopt;
  }
  return options;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text, std::string& error) {
  std::vector<std::uint8_t> bytes;
  std::size_t i = 0;
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    const std::string_view token = text.substr(i, end - i);
    const int hi = token.size() == 2 ? HexDigit(token[0]) : -1;
    const int lo = token.size() == 2 ? HexDigit(token[1]) : -1;
    if (hi < 0 || lo < 0) {
      error = "bad hex '" + std::string(token.substr(0, 16)) + "' at offset " + std::to_string(i) +
              ": expected pairs of hex digits";
      return std::nullopt;
    }
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    i = end;
  }
  return bytes;
}

}  // namespace vel
