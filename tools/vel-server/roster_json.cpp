#include "roster_json.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace vel::companion {
namespace {

using web::json::value;

value Id(std::uint64_t id) { return value::number(id); }

value OptionalNumber(const std::optional<double>& number) {
  return number ? value::number(*number) : value::null();
}

value OptionalInt(const std::optional<int>& number) {
  return number ? value::number(*number) : value::null();
}

value DeviceJson(const DeviceRecord& device) {
  value json = value::object(true);
  json["id"] = Id(device.id);
  json["active"] = value::boolean(device.active);
  json["number"] = value::number(device.number);
  json["type"] = value::number(device.type);
  return json;
}

value BicycleJson(const BicycleRecord& bicycle) {
  value json = value::object(true);
  json["id"] = Id(bicycle.id);
  json["active"] = value::boolean(bicycle.active);
  json["name"] = value::string(bicycle.name);
  json["weight"] = OptionalNumber(bicycle.weight);
  json["crank"] = OptionalInt(bicycle.crank);
  json["cassette"] = OptionalInt(bicycle.cassette);
  json["tire"] = OptionalInt(bicycle.tire);
  return json;
}

}  // namespace

value MemberJson(const MemberRecord& member) {
  value json = value::object(true);
  json["id"] = Id(member.id);
  json["name"] = value::string(member.name);
  json["height"] = OptionalNumber(member.body.height);
  json["weight"] = OptionalNumber(member.body.weight);
  json["gender"] = OptionalInt(member.body.gender);
  value devices = value::array();
  for (const DeviceRecord& device : member.devices) {
    devices[devices.size()] = DeviceJson(device);
  }
  json["device"] = member.devices.empty() ? value::null() : std::move(devices);
  value bicycles = value::array();
  for (const BicycleRecord& bicycle : member.bicycles) {
    bicycles[bicycles.size()] = BicycleJson(bicycle);
  }
  json["bicycle"] = member.bicycles.empty() ? value::null() : std::move(bicycles);
  if (member.bestSpeed > 0 || member.bestCadence > 0 || member.bestHeartRate > 0) {
    value score = value::object(true);
    score["speed"] = value::number(member.bestSpeed);
    score["cadence"] = value::number(member.bestCadence);
    score["hrm"] = value::number(member.bestHeartRate);
    json["score"] = std::move(score);
  } else {
    json["score"] = value::null();
  }
  return json;
}

value RankingJson(const std::vector<RankingRow>& rows, RankingType type) {
  value ranking = value::array();
  for (const RankingRow& row : rows) {
    value json = value::object(true);
    json["teamname"] = value::string(row.teamName);
    json["membername"] = value::string(row.memberName);
    json["score"] = type == RankingType::kSpeed
                        ? value::number(row.score)
                        : value::number(static_cast<std::int32_t>(row.score));
    ranking[ranking.size()] = std::move(json);
  }
  return ranking;
}

}  // namespace vel::companion
