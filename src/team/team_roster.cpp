#include "team/team_roster.h"

#include <algorithm>
#include <charconv>

#include "common/json_fields.h"
#include "common/string_printf.h"
#include "server/request_catalogue.h"
#include "server/wire_fields.h"
#include "team/gear_lists.h"

namespace vel {
namespace {

using web::json::value;

// Requests are written with their members in the order they are set.
value Request(RequestHeader header) {
  value r = value::object(true);
  r[wire_field::kHeader] = value::number(HeaderNumber(header));
  return r;
}

value Number(std::uint64_t id) { return value::number(id); }
value Optional(std::optional<float> v) {
  return v ? value::number(static_cast<double>(*v)) : value::null();
}

std::optional<DeviceRecord> ParseDevice(const value& v) {
  const auto id = ReadId(v, wire_field::kId);
  const auto active = ReadBool(v, wire_field::kActive);
  const auto number = ReadInt(v, wire_field::kNumber);
  const auto type = ReadInt(v, wire_field::kType);
  if (!id || !active || !number || !type) return std::nullopt;
  return DeviceRecord{*id, *active, *number, *type};
}

std::optional<BicycleRecord> ParseBicycle(const value& v) {
  const auto id = ReadId(v, wire_field::kId);
  const auto active = ReadBool(v, wire_field::kActive);
  const auto name = ReadString(v, wire_field::kName);
  if (!id || !active || !name) return std::nullopt;
  BicycleRecord b;
  b.id = *id;
  b.active = *active;
  b.name = *name;
  if (const auto w = ReadNumber(v, wire_field::kWeight)) b.weight = static_cast<float>(*w);
  if (const auto c = ReadInt(v, wire_field::kCrank)) b.crank = *c;
  if (const auto c = ReadInt(v, wire_field::kCassette)) b.cassette = *c;
  if (const auto t = ReadInt(v, wire_field::kTire)) b.tire = *t;
  return b;
}

// A member element of the load reply; none when it lacks its id or name.
// Devices and bicycles that lack a member of theirs are left out.
std::unique_ptr<MemberRecord> ParseMember(const value& v) {
  const auto id = ReadId(v, wire_field::kId);
  const auto name = ReadString(v, wire_field::kName);
  if (!id || !name) return nullptr;
  auto m = std::make_unique<MemberRecord>();
  m->id = *id;
  m->name = *name;
  if (const auto h = ReadNumber(v, wire_field::kHeight)) m->height = static_cast<float>(*h);
  if (const auto w = ReadNumber(v, wire_field::kWeight)) m->weight = static_cast<float>(*w);
  if (const auto g = ReadInt(v, wire_field::kGender)) m->gender = *g;
  if (HasNonNull(v, wire_field::kDevices) && v.at(wire_field::kDevices).is_array()) {
    for (const value& d : v.at(wire_field::kDevices).as_array()) {
      if (auto device = ParseDevice(d)) m->devices.push_back(*device);
    }
  }
  if (HasNonNull(v, wire_field::kBicycles) && v.at(wire_field::kBicycles).is_array()) {
    for (const value& b : v.at(wire_field::kBicycles).as_array()) {
      if (auto bicycle = ParseBicycle(b)) m->bicycles.push_back(*bicycle);
    }
  }
  if (HasNonNull(v, wire_field::kScore)) {
    const value& score = v.at(wire_field::kScore);
    // The best speed is kept at single precision.
    if (const auto s = ReadNumber(score, wire_field::kBestSpeed))
      m->bestSpeed = static_cast<float>(*s);
    if (const auto c = ReadInt(score, wire_field::kBestCadence)) m->bestCadence = *c;
    if (const auto h = ReadInt(score, wire_field::kBestHeartRate)) m->bestHeartRate = *h;
  }
  return m;
}

std::optional<std::int32_t> ParseDecimal(const std::string& text) {
  std::int32_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return n;
}

// A list position sent as null when nothing, or the empty first entry, is chosen.
value Position(std::int32_t position) {
  return position > 0 ? value::number(position) : value::null();
}

}  // namespace

TeamRoster::TeamRoster(PacketSender& server, MessageBox& messages, RiderLists& riderLists,
                       LoginValues& login)
    : server_(server), messages_(messages), riderLists_(riderLists), login_(login) {}

bool TeamRoster::Send(const value& request, value& reply) {
  reply = value::null();
  return server_.SendPacket(request, reply);
}

bool TeamRoster::LoadMembers() {
  value request = Request(RequestHeader::kLoadMembers);
  request[wire_field::kAccountId] = Number(login_.accountId);
  value reply;
  if (!Send(request, reply)) return false;
  if (!HasNonNull(reply, wire_field::kMembers) || !reply.at(wire_field::kMembers).is_array())
    return false;
  for (const value& element : reply.at(wire_field::kMembers).as_array()) {
    const auto id = ReadId(element, wire_field::kId);
    if (id && FindMember(*id) != nullptr) break;  // a member id met twice ends the load
    auto record = ParseMember(element);
    if (!record) continue;
    if (!AddToMemberList(std::move(record))) break;
  }
  return true;
}

bool TeamRoster::AddToMemberList(std::unique_ptr<MemberRecord> record) {
  if (FindMember(record->id) != nullptr) return false;
  const std::string name = record->name;
  const std::uint64_t id = record->id;
  const auto at = std::upper_bound(
      members_.begin(), members_.end(), name,
      [](const std::string& n, const std::unique_ptr<MemberRecord>& m) { return n < m->name; });
  members_.insert(at, std::move(record));
  // A member some rider panel already offers stays listed here but is not
  // offered twice.
  if (riderLists_.Holds(id)) return false;
  riderLists_.Add(name, id);
  return true;
}

bool TeamRoster::AddMember(const std::string& name) {
  value request = Request(RequestHeader::kAddMember);
  request[wire_field::kAccountId] = Number(login_.accountId);
  request[wire_field::kMemberName] = value::string(name);
  value reply;
  if (!Send(request, reply)) return false;
  const auto id = ReadId(reply, wire_field::kMemberId);
  if (!id) return false;
  auto record = std::make_unique<MemberRecord>();
  record->id = *id;
  record->name = name;
  AddToMemberList(std::move(record));
  return true;
}

bool TeamRoster::DeleteMember(std::uint64_t memberId) {
  if (FindMember(memberId) == nullptr) return false;
  value request = Request(RequestHeader::kDeleteMember);
  request[wire_field::kAccountId] = Number(login_.accountId);
  request[wire_field::kMemberId] = Number(memberId);
  value reply;
  if (!Send(request, reply)) return false;
  members_.erase(std::find_if(members_.begin(), members_.end(),
                              [memberId](const auto& m) { return m->id == memberId; }));
  ClearDetails();
  selected_.reset();
  riderLists_.Remove(memberId);
  return true;
}

bool TeamRoster::AddDevice(std::int32_t type, const std::string& numberText) {
  MemberRecord* member = Selected();
  ColourList* list = MutableSensorList(type);
  const auto number = ParseDecimal(numberText);
  if (member == nullptr || list == nullptr || !number) return false;
  value request = Request(RequestHeader::kAddDevice);
  request[wire_field::kMemberId] = Number(member->id);
  request[wire_field::kDeviceNumber] = value::number(*number);
  request[wire_field::kDeviceType] = value::number(type);
  value reply;
  if (!Send(request, reply)) return false;
  const auto id = ReadId(reply, wire_field::kDeviceId);
  if (!id) return false;
  if (list->Add(std::to_string(*number), ColourList::kInactive, *id)) {
    member->devices.push_back(DeviceRecord{*id, false, *number, type});
  }
  return true;
}

bool TeamRoster::DeleteDevice(std::int32_t type, std::uint64_t deviceId) {
  MemberRecord* member = Selected();
  ColourList* list = MutableSensorList(type);
  if (member == nullptr || list == nullptr) return false;
  value request = Request(RequestHeader::kDeleteDevice);
  request[wire_field::kAccountId] = Number(login_.accountId);
  request[wire_field::kMemberId] = Number(member->id);
  request[wire_field::kDeviceId] = Number(deviceId);
  value reply;
  if (!Send(request, reply)) return false;
  list->Remove(deviceId);
  auto& devices = member->devices;
  const auto at = std::find_if(devices.begin(), devices.end(), [&](const DeviceRecord& d) {
    return d.type == type && d.id == deviceId;
  });
  if (at != devices.end()) devices.erase(at);
  return true;
}

bool TeamRoster::ToggleDevice(std::int32_t type, std::uint64_t deviceId) {
  MemberRecord* member = Selected();
  ColourList* list = MutableSensorList(type);
  const ColourList::Entry* entry = list != nullptr ? list->Find(deviceId) : nullptr;
  if (member == nullptr || entry == nullptr) return false;
  const RequestHeader toggle = entry->colour != ColourList::kInactive
                                   ? RequestHeader::kDeactivateDevice
                                   : RequestHeader::kActivateDevice;
  value request = Request(toggle);
  request[wire_field::kMemberId] = Number(member->id);
  request[wire_field::kDeviceId] = Number(deviceId);
  value reply;
  if (!Send(request, reply)) return false;
  const auto answered = ReadInt(reply, wire_field::kHeader);
  if (answered == HeaderNumber(RequestHeader::kActivateDevice)) {
    for (DeviceRecord& d : member->devices) {
      if (d.type != type) continue;
      if (d.id == deviceId) {
        if (d.active) continue;
        list->MakeActive(deviceId);
        d.active = true;
        ApplyCrossTypeRule(*member, type);
      } else if (d.active) {
        ShowInactive(d);
      }
    }
  } else if (answered == HeaderNumber(RequestHeader::kDeactivateDevice)) {
    for (DeviceRecord& d : member->devices) {
      if (d.type == type && d.id == deviceId) {
        if (d.active) ShowInactive(d);
        break;
      }
    }
  }
  return true;
}

void TeamRoster::ShowInactive(DeviceRecord& device) {
  ColourList* list = MutableSensorList(device.type);
  if (list != nullptr && list->MakeInactive(device.id)) device.active = false;
}

void TeamRoster::ApplyCrossTypeRule(MemberRecord& member, std::int32_t type) {
  auto firstActive = [&member](std::int32_t t) -> DeviceRecord* {
    for (DeviceRecord& d : member.devices) {
      if (d.type == t && d.active) return &d;
    }
    return nullptr;
  };
  auto everyActive = [&](std::int32_t t) {
    for (DeviceRecord& d : member.devices) {
      if (d.type == t && d.active) ShowInactive(d);
    }
  };
  const SensorKind* kind = FindSensorKind(type);
  if (kind == nullptr) return;
  for (const std::uint8_t off : kind->SwitchesOff()) {
    if (kind->switchesOffEvery) {
      everyActive(off);
    } else if (DeviceRecord* d = firstActive(off)) {
      ShowInactive(*d);
    }
  }
}

bool TeamRoster::SaveBodyInfo(std::optional<float> height, std::optional<float> weight,
                              std::optional<std::int32_t> gender) {
  MemberRecord* member = Selected();
  if (member == nullptr) return false;
  value request = Request(RequestHeader::kSaveBodyInfo);
  request[wire_field::kAccountId] = Number(login_.accountId);
  request[wire_field::kMemberId] = Number(member->id);
  request[wire_field::kHeight] = Optional(height);
  request[wire_field::kWeight] = Optional(weight);
  request[wire_field::kGender] = gender ? value::number(*gender) : value::null();
  request[wire_field::kAge] = value::null();
  value reply;
  if (!Send(request, reply)) return false;
  // The server keeps what was sent; so does the roster, so the member shows
  // the saved values until the next start.
  member->height = height.value_or(-1.0f);
  member->weight = weight.value_or(-1.0f);
  member->gender = gender.value_or(-1);
  return true;
}

bool TeamRoster::AddBicycle(const std::string& name, std::optional<float> weight,
                            std::int32_t crank, std::int32_t cassette, std::int32_t tire) {
  MemberRecord* member = Selected();
  if (member == nullptr) return false;
  value request = Request(RequestHeader::kAddBicycle);
  request[wire_field::kMemberId] = Number(member->id);
  request[wire_field::kName] = value::string(name);
  request[wire_field::kWeight] = Optional(weight);
  request[wire_field::kCrank] = Position(crank);
  request[wire_field::kCassette] = Position(cassette);
  request[wire_field::kTire] = Position(tire);
  value reply;
  if (!Send(request, reply)) return false;
  const auto id = ReadId(reply, wire_field::kBicycleId);
  if (!id) return false;
  BicycleRecord bicycle;
  bicycle.id = *id;
  bicycle.name = name;
  bicycle.weight = weight.value_or(-1.0f);
  bicycle.crank = crank > 0 ? crank : -1;
  bicycle.cassette = cassette > 0 ? cassette : -1;
  bicycle.tire = tire > 0 ? tire : -1;
  if (bicycles_.Add(name, ColourList::kInactive, *id)) member->bicycles.push_back(bicycle);
  return true;
}

bool TeamRoster::DeleteBicycle(std::uint64_t bicycleId) {
  MemberRecord* member = Selected();
  if (member == nullptr) return false;
  value request = Request(RequestHeader::kDeleteBicycle);
  request[wire_field::kAccountId] = Number(login_.accountId);
  request[wire_field::kMemberId] = Number(member->id);
  request[wire_field::kBicycleId] = Number(bicycleId);
  value reply;
  if (!Send(request, reply)) return false;
  bicycles_.Remove(bicycleId);
  auto& bicycles = member->bicycles;
  const auto at = std::find_if(bicycles.begin(), bicycles.end(),
                               [bicycleId](const BicycleRecord& b) { return b.id == bicycleId; });
  if (at != bicycles.end()) bicycles.erase(at);
  return true;
}

bool TeamRoster::ToggleBicycle(std::uint64_t bicycleId) {
  MemberRecord* member = Selected();
  const ColourList::Entry* entry = bicycles_.Find(bicycleId);
  if (member == nullptr || entry == nullptr) return false;
  const RequestHeader toggle = entry->colour != ColourList::kInactive
                                   ? RequestHeader::kDeactivateBicycle
                                   : RequestHeader::kActivateBicycle;
  value request = Request(toggle);
  request[wire_field::kMemberId] = Number(member->id);
  request[wire_field::kBicycleId] = Number(bicycleId);
  value reply;
  if (!Send(request, reply)) return false;
  const auto answered = ReadInt(reply, wire_field::kHeader);
  if (answered == HeaderNumber(RequestHeader::kActivateBicycle)) {
    for (BicycleRecord& b : member->bicycles) {
      if (b.id == bicycleId) {
        if (!b.active && bicycles_.MakeActive(bicycleId)) b.active = true;
      } else if (b.active && bicycles_.MakeInactive(b.id)) {
        b.active = false;
      }
    }
  } else if (answered == HeaderNumber(RequestHeader::kDeactivateBicycle)) {
    for (BicycleRecord& b : member->bicycles) {
      if (b.id != bicycleId) continue;
      if (b.active && bicycles_.MakeInactive(b.id)) b.active = false;
      break;
    }
  }
  return true;
}

std::optional<std::vector<TeamRoster::RankingRow>> TeamRoster::LoadRanking(RankingType type) {
  value request = Request(RequestHeader::kLoadRanking);
  request[wire_field::kRankingType] = value::number(RankingNumber(type));
  value reply;
  if (!Send(request, reply)) return std::nullopt;
  if (!HasNonNull(reply, wire_field::kRanking) || !reply.at(wire_field::kRanking).is_array())
    return std::nullopt;
  std::vector<RankingRow> rows;
  for (const value& element : reply.at(wire_field::kRanking).as_array()) {
    RankingRow row{static_cast<int>(rows.size()) + 1,
                   ReadString(element, wire_field::kTeamName).value_or(""),
                   ReadString(element, wire_field::kMemberName).value_or(""), ""};
    if (HasNonNull(element, wire_field::kScore) && element.at(wire_field::kScore).is_number()) {
      const web::json::number& n = element.at(wire_field::kScore).as_number();
      row.score = n.is_integral() ? std::to_string(n.is_uint64() ? n.to_uint64() : 0u)
                                  : StringPrintf("%f", n.to_double());
    }
    rows.push_back(row);
  }
  return rows;
}

bool TeamRoster::CheckTeamName(const std::string& name) {
  return TeamNameRequests(server_, messages_, login_).Check(name);
}

bool TeamRoster::ChangeTeamName(const std::string& name, NameChangeFrom from) {
  return TeamNameRequests(server_, messages_, login_).Change(name, from);
}

std::vector<const MemberRecord*> TeamRoster::Members() const {
  std::vector<const MemberRecord*> out;
  for (const auto& m : members_) out.push_back(m.get());
  return out;
}

void TeamRoster::SelectMember(std::optional<std::uint64_t> memberId) {
  ClearDetails();
  selected_.reset();
  if (!memberId) return;
  const MemberRecord* member = FindMember(*memberId);
  if (member == nullptr) return;
  selected_ = memberId;
  // A device or bicycle id listed twice ends the showing there.
  for (const DeviceRecord& d : member->devices) {
    ColourList* list = MutableSensorList(d.type);
    if (list == nullptr) continue;
    const auto colour = d.active ? ColourList::kActive : ColourList::kInactive;
    if (!list->Add(std::to_string(d.number), colour, d.id)) return;
  }
  for (const BicycleRecord& b : member->bicycles) {
    const auto colour = b.active ? ColourList::kActive : ColourList::kInactive;
    if (!bicycles_.Add(b.name, colour, b.id)) return;
  }
}

const ColourList& TeamRoster::SensorList(std::int32_t type) const {
  static const ColourList kNone;
  for (std::size_t i = 0; i < kSensorTypes.size(); ++i) {
    if (kSensorTypes[i] == type) return sensorLists_[i];
  }
  return kNone;
}

ColourList* TeamRoster::MutableSensorList(std::int32_t type) {
  for (std::size_t i = 0; i < kSensorTypes.size(); ++i) {
    if (kSensorTypes[i] == type) return &sensorLists_[i];
  }
  return nullptr;
}

MemberRecord* TeamRoster::Selected() { return selected_ ? FindMutable(*selected_) : nullptr; }

MemberRecord* TeamRoster::FindMutable(std::uint64_t memberId) {
  for (const auto& m : members_) {
    if (m->id == memberId) return m.get();
  }
  return nullptr;
}

void TeamRoster::ClearDetails() {
  for (ColourList& list : sensorLists_) list.Clear();
  bicycles_.Clear();
}

const MemberRecord* TeamRoster::FindMember(std::uint64_t memberId) const {
  return const_cast<TeamRoster*>(this)->FindMutable(memberId);
}

void TeamRoster::RecordBest(std::uint64_t memberId, RankingType type, double score) {
  MemberRecord* member = FindMutable(memberId);
  if (member == nullptr) return;
  switch (type) {
    case RankingType::kSpeed: member->bestSpeed = score; break;
    case RankingType::kCadence: member->bestCadence = static_cast<std::int32_t>(score); break;
    case RankingType::kHeartRate: member->bestHeartRate = static_cast<std::int32_t>(score); break;
  }
}

const BicycleRecord* TeamRoster::ActiveBicycle(std::uint64_t memberId) const {
  const MemberRecord* member = FindMember(memberId);
  if (member == nullptr) return nullptr;
  for (const BicycleRecord& b : member->bicycles) {
    if (b.active) return &b;
  }
  return nullptr;
}

const std::vector<int>* TeamRoster::ActiveChainrings(std::uint64_t memberId,
                                                     std::int32_t& position) const {
  position = -1;
  const BicycleRecord* bicycle = ActiveBicycle(memberId);
  const auto& list = ChainringList();
  if (bicycle == nullptr || bicycle->crank <= 0 ||
      bicycle->crank >= static_cast<std::int32_t>(list.size())) {
    return nullptr;
  }
  position = bicycle->crank;
  return &list[static_cast<std::size_t>(position)].teeth;
}

const std::vector<int>* TeamRoster::ActiveCassette(std::uint64_t memberId,
                                                   std::int32_t& position) const {
  position = -1;
  const BicycleRecord* bicycle = ActiveBicycle(memberId);
  const auto& list = CassetteList();
  if (bicycle == nullptr || bicycle->cassette <= 0 ||
      bicycle->cassette >= static_cast<std::int32_t>(list.size())) {
    return nullptr;
  }
  position = bicycle->cassette;
  return &list[static_cast<std::size_t>(position)].sprockets;
}

double TeamRoster::ActiveWheelCircumference(std::uint64_t memberId, std::int32_t& position) const {
  position = -1;
  if (FindMember(memberId) == nullptr) return -1.0;
  const BicycleRecord* bicycle = ActiveBicycle(memberId);
  const auto& list = TireList();
  if (bicycle == nullptr || bicycle->tire <= 0 ||
      bicycle->tire >= static_cast<std::int32_t>(list.size())) {
    return kStandardWheelCircumferenceM;
  }
  position = bicycle->tire;
  return list[static_cast<std::size_t>(position)].circumferenceM;
}

}  // namespace vel
