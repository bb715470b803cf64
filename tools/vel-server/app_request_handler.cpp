#include "app_request_handler.h"

#include <exception>

#include "request_fields.h"
#include "server/request_catalogue.h"

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

value Success(int header) {
  value reply = value::object(true);
  reply["header"] = value::number(header);
  reply["result"] = value::boolean(true);
  return reply;
}

const char* ErrcodeText(int code) {
  switch (code) {
    case errcode::kTeamNameUnavailable:
      return "the team name is taken or not usable";
    case errcode::kUnknownAccount:
      return "no such account";
    case errcode::kUnknownMember:
      return "no such member of this account";
    case errcode::kUnknownDevice:
      return "no such device of this member";
    case errcode::kUnknownBicycle:
      return "no such bicycle of this member";
    case errcode::kBadValue:
      return "a value is out of range";
    case errcode::kDeviceRegistered:
      return "the member already has this device";
    default:
      return "refused";
  }
}

template <typename T>
value Answer(int header, const Outcome<T>& outcome) {
  return outcome.Ok() ? Success(header)
                      : AppRequestHandler::Refusal(value::number(header), outcome.errcode,
                                                   ErrcodeText(outcome.errcode));
}

template <typename T>
value AnswerWithId(int header, const Outcome<T>& outcome, const char* name) {
  value reply = Answer(header, outcome);
  if (outcome.Ok()) reply[name] = Id(outcome.value);
  return reply;
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

// Empty lists and a member without any best score are null, which the
// program reads as "none".
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
  json["device"] = member.devices.empty() ? value::null() : devices;
  value bicycles = value::array();
  for (const BicycleRecord& bicycle : member.bicycles) {
    bicycles[bicycles.size()] = BicycleJson(bicycle);
  }
  json["bicycle"] = member.bicycles.empty() ? value::null() : bicycles;
  if (member.bestSpeed > 0 || member.bestCadence > 0 || member.bestHeartRate > 0) {
    value score = value::object(true);
    score["speed"] = value::number(member.bestSpeed);
    score["cadence"] = value::number(member.bestCadence);
    score["hrm"] = value::number(member.bestHeartRate);
    json["score"] = score;
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
    ranking[ranking.size()] = json;
  }
  return ranking;
}

value BadValue(int header, const char* what) {
  return AppRequestHandler::Refusal(value::number(header), errcode::kBadValue, what);
}

}  // namespace

value AppRequestHandler::Refusal(const value& header, int code, const std::string& message) {
  value reply = value::object(true);
  reply["header"] = header;
  reply["result"] = value::boolean(false);
  reply["errcode"] = value::number(code);
  reply["message"] = value::string(message);
  return reply;
}

value AppRequestHandler::Handle(const value& request) const {
  if (!request.is_object()) {
    return Refusal(value::null(), errcode::kNotJson, "the packet is not a JSON object");
  }
  const auto& object = request.as_object();
  const auto header = object.find("header");
  if (header == object.end() || !header->second.is_integer() ||
      !header->second.as_number().is_int32()) {
    return Refusal(value::null(), errcode::kUnknownHeader, "\"header\" is not an integer");
  }
  const int number = header->second.as_number().to_int32();
  try {
    return Dispatch(number, request);
  } catch (const BadMember& bad) {
    return Refusal(value::number(number), errcode::kBadMember, bad.what());
  } catch (const web::json::json_exception& bad) {
    return Refusal(value::number(number), errcode::kBadMember, bad.what());
  } catch (const std::exception& failure) {
    // The transaction was rolled back: nothing of the request was kept.
    return Refusal(value::number(number), errcode::kStorage, failure.what());
  }
}

value AppRequestHandler::Dispatch(int header, const value& request) const {
  const RequestFields fields(request);
  switch (header) {
    case -1: {
      value reply = Success(header);
      reply["appaccesstoken"] = value::string(tokens_.AppAccessToken());
      return reply;
    }
    case 0: {
      const std::string type = fields.Text("type");
      const std::string account = fields.Text("account");
      if (type != "facebook") return BadValue(header, "\"type\" is not \"facebook\"");
      const auto outcome = store_.SignInAccount(account);
      value reply = Answer(header, outcome);
      if (outcome.Ok()) {
        reply["accountid"] = Id(outcome.value.id);
        reply["teamname"] = value::string(outcome.value.teamName);
      }
      return reply;
    }
    case 1: {
      const auto outcome = store_.LoadMembers(fields.Id("accountid"));
      value reply = Answer(header, outcome);
      if (outcome.Ok()) {
        value members = value::array();
        for (const MemberRecord& member : outcome.value) {
          members[members.size()] = MemberJson(member);
        }
        reply["member"] = members;
      }
      return reply;
    }
    case 2: {
      const std::uint64_t account = fields.Id("accountid");
      return AnswerWithId(header, store_.AddMember(account, fields.Text("membername")),
                          "memberid");
    }
    case 3:
      return Answer(header, store_.DeleteMember(fields.Id("accountid"), fields.Id("memberid")));
    case 4: {
      const std::uint64_t member = fields.Id("memberid");
      const int number = fields.Int("devicenumber");
      const int type = fields.Int("devicetype");
      return AnswerWithId(header, store_.AddDevice(member, number, type), "deviceid");
    }
    case 5: {
      const std::uint64_t account = fields.Id("accountid");
      const std::uint64_t member = fields.Id("memberid");
      return Answer(header, store_.DeleteDevice(account, member, fields.Id("deviceid")));
    }
    case 6:
      return Answer(header, store_.ActivateDevice(fields.Id("memberid"), fields.Id("deviceid")));
    case 7:
      return Answer(header,
                    store_.DeactivateDevice(fields.Id("memberid"), fields.Id("deviceid")));
    case 8: {
      const auto type = ToRankingType(fields.Int("rankingtype"));
      const std::uint64_t member = fields.Id("memberid");
      (void)fields.Text("membername");
      const std::uint64_t account = fields.Id("accountid");
      if (!type) return BadValue(header, "\"rankingtype\" is not 0, 1 or 2");
      // Cadence and heart rate are whole numbers.
      const double score = *type == RankingType::kSpeed ? fields.Number("score")
                                                        : fields.Int("score");
      return Answer(header, store_.ReportScore(account, member, *type, score));
    }
    case 9: {
      const auto type = ToRankingType(fields.Int("rankingtype"));
      if (!type) return BadValue(header, "\"rankingtype\" is not 0, 1 or 2");
      value reply = Success(header);
      reply["ranking"] = RankingJson(store_.LoadRanking(*type), *type);
      return reply;
    }
    case 10:
      return Answer(header, store_.CheckTeamName(fields.Text("teamname")));
    case 11: {
      const std::uint64_t account = fields.Id("accountid");
      return Answer(header, store_.ChangeTeamName(account, fields.Text("teamname")));
    }
    case 12: {
      const std::uint64_t account = fields.Id("accountid");
      const std::uint64_t member = fields.Id("memberid");
      const BodyInfo body{fields.OptionalNumber("height"), fields.OptionalNumber("weight"),
                          fields.OptionalInt("gender")};
      (void)fields.OptionalNumber("age");  // always null; a number is allowed, nothing else
      return Answer(header, store_.SaveBodyInfo(account, member, body));
    }
    case 13:
      return Answer(header,
                    store_.ActivateBicycle(fields.Id("memberid"), fields.Id("bicycleid")));
    case 14:
      return Answer(header,
                    store_.DeactivateBicycle(fields.Id("memberid"), fields.Id("bicycleid")));
    case 15: {
      const std::uint64_t member = fields.Id("memberid");
      BicycleRecord bicycle;
      bicycle.name = fields.Text("name");
      bicycle.weight = fields.OptionalNumber("weight");
      bicycle.crank = fields.OptionalInt("crank");
      bicycle.cassette = fields.OptionalInt("cassette");
      bicycle.tire = fields.OptionalInt("tire");
      return AnswerWithId(header, store_.AddBicycle(member, bicycle), "bicycleid");
    }
    case 17: {
      const std::uint64_t account = fields.Id("accountid");
      const std::uint64_t member = fields.Id("memberid");
      return Answer(header, store_.DeleteBicycle(account, member, fields.Id("bicycleid")));
    }
    default:
      return Refusal(value::number(header), errcode::kUnknownHeader, "no request has this header");
  }
}

}  // namespace vel::companion
