#include "team/roster_requests.h"

#include "common/json_fields.h"
#include "common/string_printf.h"
#include "server/wire_fields.h"

namespace vel {
namespace {

using web::json::value;
namespace field = wire_field;

// Requests are written with their members in the order they are set.
value Request(RequestHeader header) {
  value r = value::object(true);
  r[field::kHeader] = value::number(HeaderNumber(header));
  return r;
}

value Number(std::uint64_t id) { return value::number(id); }
value Optional(std::optional<float> v) {
  return v ? value::number(static_cast<double>(*v)) : value::null();
}

// A list position sent as null when nothing, or the empty first entry, is chosen.
value Position(std::int32_t position) {
  return position > 0 ? value::number(position) : value::null();
}

std::optional<DeviceRecord> ParseDevice(const value& v) {
  const auto id = ReadId(v, field::kId);
  const auto active = ReadBool(v, field::kActive);
  const auto number = ReadInt(v, field::kNumber);
  const auto type = ReadInt(v, field::kType);
  if (!id || !active || !number || !type) return std::nullopt;
  return DeviceRecord{*id, *active, *number, *type};
}

std::optional<BicycleRecord> ParseBicycle(const value& v) {
  const auto id = ReadId(v, field::kId);
  const auto active = ReadBool(v, field::kActive);
  const auto name = ReadString(v, field::kName);
  if (!id || !active || !name) return std::nullopt;
  BicycleRecord b;
  b.id = *id;
  b.active = *active;
  b.name = *name;
  if (const auto w = ReadNumber(v, field::kWeight)) b.weight = static_cast<float>(*w);
  if (const auto c = ReadInt(v, field::kCrank)) b.crank = *c;
  if (const auto c = ReadInt(v, field::kCassette)) b.cassette = *c;
  if (const auto t = ReadInt(v, field::kTire)) b.tire = *t;
  return b;
}

// A member element of the load reply; none when it lacks its id or name.
std::unique_ptr<MemberRecord> ParseMember(const value& v) {
  const auto id = ReadId(v, field::kId);
  const auto name = ReadString(v, field::kName);
  if (!id || !name) return nullptr;
  auto m = std::make_unique<MemberRecord>();
  m->id = *id;
  m->name = *name;
  if (const auto h = ReadNumber(v, field::kHeight)) m->height = static_cast<float>(*h);
  if (const auto w = ReadNumber(v, field::kWeight)) m->weight = static_cast<float>(*w);
  if (const auto g = ReadInt(v, field::kGender)) m->gender = *g;
  if (HasNonNull(v, field::kDevices) && v.at(field::kDevices).is_array()) {
    for (const value& d : v.at(field::kDevices).as_array()) {
      if (auto device = ParseDevice(d)) m->devices.push_back(*device);
    }
  }
  if (HasNonNull(v, field::kBicycles) && v.at(field::kBicycles).is_array()) {
    for (const value& b : v.at(field::kBicycles).as_array()) {
      if (auto bicycle = ParseBicycle(b)) m->bicycles.push_back(*bicycle);
    }
  }
  if (HasNonNull(v, field::kScore)) {
    const value& score = v.at(field::kScore);
    // The best speed is kept at single precision.
    if (const auto s = ReadNumber(score, field::kBestSpeed)) m->bestSpeed = static_cast<float>(*s);
    if (const auto c = ReadInt(score, field::kBestCadence)) m->bestCadence = *c;
    if (const auto h = ReadInt(score, field::kBestHeartRate)) m->bestHeartRate = *h;
  }
  return m;
}

}  // namespace

RosterRequests::RosterRequests(PacketSender& server, const LoginValues& login)
    : server_(server), login_(login) {}

bool RosterRequests::Send(const value& request, value& reply) {
  reply = value::null();
  return server_.SendPacket(request, reply);
}

std::optional<std::vector<RosterRequests::LoadedMember>> RosterRequests::LoadMembers() {
  value request = Request(RequestHeader::kLoadMembers);
  request[field::kAccountId] = Number(login_.accountId);
  value reply;
  if (!Send(request, reply)) return std::nullopt;
  if (!HasNonNull(reply, field::kMembers) || !reply.at(field::kMembers).is_array()) {
    return std::nullopt;
  }
  std::vector<LoadedMember> members;
  for (const value& element : reply.at(field::kMembers).as_array()) {
    members.push_back({ReadId(element, field::kId), ParseMember(element)});
  }
  return members;
}

std::optional<std::uint64_t> RosterRequests::AddMember(const std::string& name) {
  value request = Request(RequestHeader::kAddMember);
  request[field::kAccountId] = Number(login_.accountId);
  request[field::kMemberName] = value::string(name);
  value reply;
  if (!Send(request, reply)) return std::nullopt;
  return ReadId(reply, field::kMemberId);
}

bool RosterRequests::DeleteMember(std::uint64_t memberId) {
  value request = Request(RequestHeader::kDeleteMember);
  request[field::kAccountId] = Number(login_.accountId);
  request[field::kMemberId] = Number(memberId);
  value reply;
  return Send(request, reply);
}

std::optional<std::uint64_t> RosterRequests::AddDevice(std::uint64_t memberId, std::int32_t number,
                                                       std::int32_t type) {
  value request = Request(RequestHeader::kAddDevice);
  request[field::kMemberId] = Number(memberId);
  request[field::kDeviceNumber] = value::number(number);
  request[field::kDeviceType] = value::number(type);
  value reply;
  if (!Send(request, reply)) return std::nullopt;
  return ReadId(reply, field::kDeviceId);
}

bool RosterRequests::DeleteItem(RequestHeader header, const char* idField, std::uint64_t memberId,
                                std::uint64_t id) {
  value request = Request(header);
  request[field::kAccountId] = Number(login_.accountId);
  request[field::kMemberId] = Number(memberId);
  request[idField] = Number(id);
  value reply;
  return Send(request, reply);
}

bool RosterRequests::DeleteDevice(std::uint64_t memberId, std::uint64_t deviceId) {
  return DeleteItem(RequestHeader::kDeleteDevice, field::kDeviceId, memberId, deviceId);
}

bool RosterRequests::SetActive(RequestHeader header, const char* idField, std::uint64_t memberId,
                               std::uint64_t id, std::optional<std::int32_t>& answered) {
  value request = Request(header);
  request[field::kMemberId] = Number(memberId);
  request[idField] = Number(id);
  value reply;
  if (!Send(request, reply)) return false;
  answered = ReadInt(reply, field::kHeader);
  return true;
}

bool RosterRequests::SetDeviceActive(bool active, std::uint64_t memberId, std::uint64_t deviceId,
                                     std::optional<std::int32_t>& answered) {
  return SetActive(active ? RequestHeader::kActivateDevice : RequestHeader::kDeactivateDevice,
                   field::kDeviceId, memberId, deviceId, answered);
}

bool RosterRequests::SetBicycleActive(bool active, std::uint64_t memberId, std::uint64_t bicycleId,
                                      std::optional<std::int32_t>& answered) {
  return SetActive(active ? RequestHeader::kActivateBicycle : RequestHeader::kDeactivateBicycle,
                   field::kBicycleId, memberId, bicycleId, answered);
}

bool RosterRequests::SaveBodyInfo(std::uint64_t memberId, std::optional<float> height,
                                  std::optional<float> weight, std::optional<std::int32_t> gender) {
  value request = Request(RequestHeader::kSaveBodyInfo);
  request[field::kAccountId] = Number(login_.accountId);
  request[field::kMemberId] = Number(memberId);
  request[field::kHeight] = Optional(height);
  request[field::kWeight] = Optional(weight);
  request[field::kGender] = gender ? value::number(*gender) : value::null();
  request[field::kAge] = value::null();
  value reply;
  return Send(request, reply);
}

std::optional<std::uint64_t> RosterRequests::AddBicycle(std::uint64_t memberId,
                                                        const std::string& name,
                                                        std::optional<float> weight,
                                                        std::int32_t crank, std::int32_t cassette,
                                                        std::int32_t tire) {
  value request = Request(RequestHeader::kAddBicycle);
  request[field::kMemberId] = Number(memberId);
  request[field::kName] = value::string(name);
  request[field::kWeight] = Optional(weight);
  request[field::kCrank] = Position(crank);
  request[field::kCassette] = Position(cassette);
  request[field::kTire] = Position(tire);
  value reply;
  if (!Send(request, reply)) return std::nullopt;
  return ReadId(reply, field::kBicycleId);
}

bool RosterRequests::DeleteBicycle(std::uint64_t memberId, std::uint64_t bicycleId) {
  return DeleteItem(RequestHeader::kDeleteBicycle, field::kBicycleId, memberId, bicycleId);
}

std::optional<std::vector<RosterRequests::RankingRow>> RosterRequests::LoadRanking(
    RankingType type) {
  value request = Request(RequestHeader::kLoadRanking);
  request[field::kRankingType] = value::number(RankingNumber(type));
  value reply;
  if (!Send(request, reply)) return std::nullopt;
  if (!HasNonNull(reply, field::kRanking) || !reply.at(field::kRanking).is_array()) {
    return std::nullopt;
  }
  std::vector<RankingRow> rows;
  for (const value& element : reply.at(field::kRanking).as_array()) {
    RankingRow row{static_cast<int>(rows.size()) + 1,
                   ReadString(element, field::kTeamName).value_or(""),
                   ReadString(element, field::kMemberName).value_or(""), ""};
    if (HasNonNull(element, field::kScore) && element.at(field::kScore).is_number()) {
      const web::json::number& n = element.at(field::kScore).as_number();
      row.score = n.is_integral() ? std::to_string(n.is_uint64() ? n.to_uint64() : 0u)
                                  : StringPrintf("%f", n.to_double());
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace vel
