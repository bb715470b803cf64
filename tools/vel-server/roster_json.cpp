#include "roster_json.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "server/wire_fields.h"
#include "store_values.h"

namespace vel::companion {
namespace {

using web::json::value;

value Id(std::uint64_t id) { return value::number(id); }

// -1, unknown or nothing chosen, goes out as null.
value OptionalNumber(double number) {
  return Known(number) ? value::number(number) : value::null();
}

value OptionalInt(std::int32_t number) {
  return Known(number) ? value::number(number) : value::null();
}

value DeviceJson(const DeviceRecord& device) {
  value json = value::object(true);
  json[wire_field::kId] = Id(device.id);
  json[wire_field::kActive] = value::boolean(device.active);
  json[wire_field::kNumber] = value::number(device.number);
  json[wire_field::kType] = value::number(device.type);
  return json;
}

value BicycleJson(const BicycleRecord& bicycle) {
  value json = value::object(true);
  json[wire_field::kId] = Id(bicycle.id);
  json[wire_field::kActive] = value::boolean(bicycle.active);
  json[wire_field::kName] = value::string(bicycle.name);
  json[wire_field::kWeight] = OptionalNumber(bicycle.weight);
  json[wire_field::kCrank] = OptionalInt(bicycle.crank);
  json[wire_field::kCassette] = OptionalInt(bicycle.cassette);
  json[wire_field::kTire] = OptionalInt(bicycle.tire);
  return json;
}

}  // namespace

value MemberJson(const MemberRecord& member) {
  value json = value::object(true);
  json[wire_field::kId] = Id(member.id);
  json[wire_field::kName] = value::string(member.name);
  json[wire_field::kHeight] = OptionalNumber(member.height);
  json[wire_field::kWeight] = OptionalNumber(member.weight);
  json[wire_field::kGender] = OptionalInt(member.gender);
  value devices = value::array();
  for (const DeviceRecord& device : member.devices) {
    devices[devices.size()] = DeviceJson(device);
  }
  json[wire_field::kDevices] = member.devices.empty() ? value::null() : std::move(devices);
  value bicycles = value::array();
  for (const BicycleRecord& bicycle : member.bicycles) {
    bicycles[bicycles.size()] = BicycleJson(bicycle);
  }
  json[wire_field::kBicycles] = member.bicycles.empty() ? value::null() : std::move(bicycles);
  if (member.bestSpeed > 0 || member.bestCadence > 0 || member.bestHeartRate > 0) {
    value score = value::object(true);
    score[wire_field::kBestSpeed] = value::number(member.bestSpeed);
    score[wire_field::kBestCadence] = value::number(member.bestCadence);
    score[wire_field::kBestHeartRate] = value::number(member.bestHeartRate);
    json[wire_field::kScore] = std::move(score);
  } else {
    json[wire_field::kScore] = value::null();
  }
  return json;
}

value RankingJson(const std::vector<RankingRow>& rows, RankingType type) {
  value ranking = value::array();
  for (const RankingRow& row : rows) {
    value json = value::object(true);
    json[wire_field::kTeamName] = value::string(row.teamName);
    json[wire_field::kMemberName] = value::string(row.memberName);
    json[wire_field::kScore] = type == RankingType::kSpeed
                                   ? value::number(row.score)
                                   : value::number(static_cast<std::int32_t>(row.score));
    ranking[ranking.size()] = std::move(json);
  }
  return ranking;
}

}  // namespace vel::companion
