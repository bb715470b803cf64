#include "store_values.h"

#include <cmath>

#include "sensors/sensor_kinds.h"
#include "team/gear_lists.h"

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

// The entries of one of the program's fixed lists, after its empty first one.
template <typename List>
int Choices(const List& list) {
  return static_cast<int>(list.size()) - 1;
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
  return IsDecodedDeviceType(type) && number >= 0 && number <= kMaxDeviceNumber;
}

bool UsableBody(const BodyInfo& body) {
  return UsableBodyValue(body.height) && UsableBodyValue(body.weight) &&
         (!body.gender || (*body.gender >= 0 && *body.gender <= Choices(GenderList())));
}

bool NormaliseBicycle(BicycleRecord& bicycle) {
  return UsableName(bicycle.name) && UsableBodyValue(bicycle.weight) &&
         NormalisePosition(bicycle.crank, Choices(ChainringList())) &&
         NormalisePosition(bicycle.cassette, Choices(CassetteList())) &&
         NormalisePosition(bicycle.tire, Choices(TireList()));
}

}  // namespace vel::companion
