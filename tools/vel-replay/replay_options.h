#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/room.h"

namespace vel {

// One --channel C:TYPE[:CIRCUMFERENCE_M] option.
struct ChannelSpec {
  std::uint8_t channel = 0;
  std::uint8_t deviceType = 0;
  float wheelCircumferenceM = static_cast<float>(kStandardWheelCircumferenceM);
};

struct ReplayOptions {
  bool hex = false;
  bool log = false;
  std::vector<ChannelSpec> channels;
  std::string input;  // a file path, or "-" for standard input
};

// Parses the command line (without the program name). On failure returns
// nothing and sets `error` to a one-line reason.
std::optional<ReplayOptions> ParseReplayOptions(const std::vector<std::string>& args,
                                                std::string& error);
std::optional<ChannelSpec> ParseChannelSpec(std::string_view text, std::string& error);

// Whitespace-separated hex pairs ("a4 01 4a") to bytes.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text, std::string& error);

}  // namespace vel
