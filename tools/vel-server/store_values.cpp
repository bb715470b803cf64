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
bool NormalisePosition(const std::optional<int>& position, int count, std::int32_t& stored) {
  if (!position || *position == -1 || *position == 0) {
    stored = -1;
    return true;
  }
  stored = *position;
  return *position >= 1 && *position <= count;
}

}  // namespace

bool UsableName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxNameBytes && !HasControlCharacter(name) &&
         name.find_first_not_of(' ') != std::string_view::npos;
}

bool UsableTeamName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxTeamNameBytes && !HasControlCharacter(name) &&
         name.find(' ') == std::string_view::npos;
}

bool UsableDevice(int number, int type) {
  return IsDecodedDeviceType(type) && number >= 0 && number <= kMaxDeviceNumber;
}

bool UsableBody(const BodyInfo& body) {
  return UsableBodyValue(body.height) && UsableBodyValue(body.weight) &&
         (!body.gender || (*body.gender >= 0 && *body.gender <= Choices(GenderList())));
}

std::optional<BicycleRecord> StoredBicycle(const BicycleRequest& request) {
  BicycleRecord bicycle;
  bicycle.name = request.name;
  bicycle.weight = OrUnknown(request.weight);
  if (!UsableName(request.name) || !UsableBodyValue(request.weight) ||
      !NormalisePosition(request.crank, Choices(ChainringList()), bicycle.crank) ||
      !NormalisePosition(request.cassette, Choices(CassetteList()), bicycle.cassette) ||
      !NormalisePosition(request.tire, Choices(TireList()), bicycle.tire)) {
    return std::nullopt;
  }
  return bicycle;
}

std::optional<double> Known(double value) {
  return value == -1.0 ? std::nullopt : std::optional<double>(value);
}

std::optional<int> Known(std::int32_t value) {
  return value == -1 ? std::nullopt : std::optional<int>(value);
}

double OrUnknown(const std::optional<double>& value) { return value.value_or(-1.0); }

std::int32_t OrUnknown(const std::optional<int>& value) { return value.value_or(-1); }

BodyInfo BodyOf(const MemberRecord& member) {
  return {Known(member.height), Known(member.weight), Known(member.gender)};
}

BicycleRequest RequestOf(const BicycleRecord& bicycle) {
  return {bicycle.name, Known(bicycle.weight), Known(bicycle.crank), Known(bicycle.cassette),
          Known(bicycle.tire)};
}

}  // namespace vel::companion
