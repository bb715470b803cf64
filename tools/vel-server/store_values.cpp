#include "store_values.h"

#include <cmath>

#include "activation_rules.h"

namespace vel::companion {
namespace {

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

bool UsableBodyValue(const std::optional<double>& value) {
  return !value || (std::isfinite(*value) && *value >= 0 && *value <= kMaxBodyValue);
}

// Anything past the end of the program's list is refused.
bool NormalisePosition(std::optional<int>& position, int count) {
  if (!position || *position == -1 || *position == 0) {
    position.reset();
    return true;
  }
  return *position >= 1 && *position <= count;
}

}  // namespace

bool UsableName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxName && !HasControlCharacter(name) &&
         name.find_first_not_of(' ') != std::string_view::npos;
}

bool UsableTeamName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxTeamName && !HasControlCharacter(name) &&
         name.find(' ') == std::string_view::npos;
}

bool UsableDevice(int number, int type) {
  return IsDeviceType(type) && number >= 0 && number <= kMaxDeviceNumber;
}

bool UsableBody(const BodyInfo& body) {
  return UsableBodyValue(body.height) && UsableBodyValue(body.weight) &&
         (!body.gender || (*body.gender >= 0 && *body.gender <= 2));
}

bool NormaliseBicycle(BicycleRecord& bicycle) {
  return UsableName(bicycle.name) && UsableBodyValue(bicycle.weight) &&
         NormalisePosition(bicycle.crank, kChainringCount) &&
         NormalisePosition(bicycle.cassette, kCassetteCount) &&
         NormalisePosition(bicycle.tire, kTireCount);
}

}  // namespace vel::companion
