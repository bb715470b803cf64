#include "team/team_roster.h"

#include <algorithm>
#include <charconv>

#include "common/verify.h"

namespace vel {
namespace {

std::optional<std::int32_t> ParseDecimal(const std::string& text) {
  std::int32_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return n;
}

}  // namespace

TeamRoster::TeamRoster(PacketSender& server, MessageBox& messages, RiderLists& riderLists,
                       LoginValues& login)
    : server_(server),
      messages_(messages),
      riderLists_(riderLists),
      login_(login),
      requests_(server, login) {}

bool TeamRoster::LoadMembers() {
  auto loaded = requests_.LoadMembers();
  if (!loaded) return false;
  for (RosterRequests::LoadedMember& element : *loaded) {
    if (element.id && FindMember(*element.id) != nullptr) break;  // met twice ends the load
    if (!element.record) continue;
    if (!AddToMemberList(std::move(element.record))) break;
  }
  return true;
}

bool TeamRoster::AddToMemberList(std::unique_ptr<MemberRecord> record) {
  const std::string name = record->name;
  const std::uint64_t id = record->id;
  if (!model_.Add(std::move(record))) return false;
  // A member some rider panel already offers stays listed here but is not
  // offered twice.
  if (riderLists_.Holds(id)) return false;
  riderLists_.Add(name, id);
  return true;
}

bool TeamRoster::AddMember(const std::string& name) {
  const auto id = requests_.AddMember(name);
  if (!id) return false;
  auto record = std::make_unique<MemberRecord>();
  record->id = *id;
  record->name = name;
  AddToMemberList(std::move(record));
  return true;
}

bool TeamRoster::DeleteMember(std::uint64_t memberId) {
  if (FindMember(memberId) == nullptr) return false;
  if (!requests_.DeleteMember(memberId)) return false;
  model_.Remove(memberId);
  lists_.Clear();
  selected_.reset();
  riderLists_.Remove(memberId);
  return true;
}

bool TeamRoster::AddDevice(std::int32_t type, const std::string& numberText) {
  MemberRecord* member = Selected();
  const auto number = ParseDecimal(numberText);
  if (member == nullptr || !RosterLists::ListsType(type) || !number) return false;
  const auto id = requests_.AddDevice(member->id, *number, type);
  if (!id) return false;
  if (lists_.AddDevice(type, *number, *id)) {
    member->devices.push_back(DeviceRecord{*id, false, *number, type});
  }
  return true;
}

bool TeamRoster::DeleteDevice(std::int32_t type, std::uint64_t deviceId) {
  MemberRecord* member = Selected();
  if (member == nullptr || !RosterLists::ListsType(type)) return false;
  if (!requests_.DeleteDevice(member->id, deviceId)) return false;
  lists_.RemoveDevice(type, deviceId);
  auto& devices = member->devices;
  const auto at = std::find_if(devices.begin(), devices.end(), [&](const DeviceRecord& d) {
    return d.type == type && d.id == deviceId;
  });
  if (at != devices.end()) devices.erase(at);
  return true;
}

DeviceRecord* TeamRoster::FindDevice(MemberRecord& member, std::int32_t type, std::uint64_t id) {
  for (DeviceRecord& d : member.devices) {
    if (d.type == type && d.id == id) return &d;
  }
  return nullptr;
}

bool TeamRoster::ToggleDevice(std::int32_t type, std::uint64_t deviceId) {
  MemberRecord* member = Selected();
  if (member == nullptr || !lists_.ShowsDevice(type, deviceId)) return false;
  const DeviceRecord* device = FindDevice(*member, type, deviceId);
  // A device is listed only with its record.
  VEL_VERIFY_OR_DEBUG_ASSERT(device != nullptr) { return false; }
  std::optional<std::int32_t> answered;
  if (!requests_.SetDeviceActive(!device->active, member->id, deviceId, answered)) return false;
  const RosterModel::ShownDevice shown = [this](std::int32_t t, std::uint64_t id) {
    return lists_.ShowsDevice(t, id);
  };
  if (answered == HeaderNumber(RequestHeader::kActivateDevice)) {
    RosterModel::ActivateDevice(*member, type, deviceId, shown);
  } else if (answered == HeaderNumber(RequestHeader::kDeactivateDevice)) {
    RosterModel::DeactivateDevice(*member, type, deviceId, shown);
  }
  lists_.Recolour(*member);
  return true;
}

bool TeamRoster::SaveBodyInfo(std::optional<float> height, std::optional<float> weight,
                              std::optional<std::int32_t> gender) {
  MemberRecord* member = Selected();
  if (member == nullptr) return false;
  if (!requests_.SaveBodyInfo(member->id, height, weight, gender)) return false;
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
  const auto id = requests_.AddBicycle(member->id, name, weight, crank, cassette, tire);
  if (!id) return false;
  BicycleRecord bicycle;
  bicycle.id = *id;
  bicycle.name = name;
  bicycle.weight = weight.value_or(-1.0f);
  bicycle.crank = crank > 0 ? crank : -1;
  bicycle.cassette = cassette > 0 ? cassette : -1;
  bicycle.tire = tire > 0 ? tire : -1;
  if (lists_.AddBicycle(name, *id)) member->bicycles.push_back(bicycle);
  return true;
}

bool TeamRoster::DeleteBicycle(std::uint64_t bicycleId) {
  MemberRecord* member = Selected();
  if (member == nullptr) return false;
  if (!requests_.DeleteBicycle(member->id, bicycleId)) return false;
  lists_.RemoveBicycle(bicycleId);
  auto& bicycles = member->bicycles;
  const auto at = std::find_if(bicycles.begin(), bicycles.end(),
                               [bicycleId](const BicycleRecord& b) { return b.id == bicycleId; });
  if (at != bicycles.end()) bicycles.erase(at);
  return true;
}

bool TeamRoster::ToggleBicycle(std::uint64_t bicycleId) {
  MemberRecord* member = Selected();
  if (member == nullptr || !lists_.ShowsBicycle(bicycleId)) return false;
  const auto bicycle =
      std::find_if(member->bicycles.begin(), member->bicycles.end(),
                   [bicycleId](const BicycleRecord& b) { return b.id == bicycleId; });
  // A bicycle is listed only with its record.
  VEL_VERIFY_OR_DEBUG_ASSERT(bicycle != member->bicycles.end()) { return false; }
  std::optional<std::int32_t> answered;
  if (!requests_.SetBicycleActive(!bicycle->active, member->id, bicycleId, answered)) {
    return false;
  }
  const RosterModel::ShownBicycle shown = [this](std::uint64_t id) {
    return lists_.ShowsBicycle(id);
  };
  if (answered == HeaderNumber(RequestHeader::kActivateBicycle)) {
    RosterModel::ActivateBicycle(*member, bicycleId, shown);
  } else if (answered == HeaderNumber(RequestHeader::kDeactivateBicycle)) {
    RosterModel::DeactivateBicycle(*member, bicycleId, shown);
  }
  lists_.Recolour(*member);
  return true;
}

std::optional<std::vector<TeamRoster::RankingRow>> TeamRoster::LoadRanking(RankingType type) {
  return requests_.LoadRanking(type);
}

bool TeamRoster::CheckTeamName(const std::string& name) {
  return TeamNameRequests(server_, messages_, login_).Check(name);
}

bool TeamRoster::ChangeTeamName(const std::string& name, NameChangeFrom from) {
  return TeamNameRequests(server_, messages_, login_).Change(name, from);
}

void TeamRoster::SelectMember(std::optional<std::uint64_t> memberId) {
  lists_.Clear();
  selected_.reset();
  if (!memberId) return;
  const MemberRecord* member = FindMember(*memberId);
  if (member == nullptr) return;
  selected_ = memberId;
  lists_.Show(*member);
}

MemberRecord* TeamRoster::Selected() {
  return selected_ ? model_.FindMutable(*selected_) : nullptr;
}

}  // namespace vel
