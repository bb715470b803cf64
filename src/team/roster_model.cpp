#include "team/roster_model.h"

#include <algorithm>

#include "common/verify.h"
#include "sensors/sensor_kinds.h"
#include "team/gear_lists.h"

namespace vel {
namespace {

// A device the team window shows goes inactive; one it does not show keeps
// its flag.
void Deactivate(DeviceRecord& device, const RosterModel::ShownDevice& shown) {
  if (shown(device.type, device.id)) device.active = false;
}

void ApplyCrossTypeRule(MemberRecord& member, std::int32_t type,
                        const RosterModel::ShownDevice& shown) {
  auto firstActive = [&member](std::int32_t t) -> DeviceRecord* {
    for (DeviceRecord& d : member.devices) {
      if (d.type == t && d.active) return &d;
    }
    return nullptr;
  };
  auto everyActive = [&](std::int32_t t) {
    for (DeviceRecord& d : member.devices) {
      if (d.type == t && d.active) Deactivate(d, shown);
    }
  };
  const SensorKind* kind = FindSensorKind(type);
  // Only the sensor lists' types are activated, and each is a sensor kind.
  VEL_VERIFY_OR_DEBUG_ASSERT(kind != nullptr) { return; }
  for (const std::uint8_t off : kind->SwitchesOff()) {
    if (kind->switchesOffEvery) {
      everyActive(off);
    } else if (DeviceRecord* d = firstActive(off)) {
      Deactivate(*d, shown);
    }
  }
}

}  // namespace

bool RosterModel::Add(std::unique_ptr<MemberRecord> record) {
  if (Find(record->id) != nullptr) return false;
  const auto at = std::upper_bound(
      members_.begin(), members_.end(), record->name,
      [](const std::string& n, const std::unique_ptr<MemberRecord>& m) { return n < m->name; });
  members_.insert(at, std::move(record));
  return true;
}

void RosterModel::Remove(std::uint64_t memberId) {
  const auto at = std::find_if(members_.begin(), members_.end(),
                               [memberId](const auto& m) { return m->id == memberId; });
  if (at != members_.end()) members_.erase(at);
}

std::vector<const MemberRecord*> RosterModel::Members() const {
  std::vector<const MemberRecord*> out;
  for (const auto& m : members_) out.push_back(m.get());
  return out;
}

MemberRecord* RosterModel::FindMutable(std::uint64_t memberId) {
  for (const auto& m : members_) {
    if (m->id == memberId) return m.get();
  }
  return nullptr;
}

const MemberRecord* RosterModel::Find(std::uint64_t memberId) const {
  return const_cast<RosterModel*>(this)->FindMutable(memberId);
}

void RosterModel::ActivateDevice(MemberRecord& member, std::int32_t type, std::uint64_t deviceId,
                                 const ShownDevice& shown) {
  for (DeviceRecord& d : member.devices) {
    if (d.type != type) continue;
    if (d.id == deviceId) {
      if (d.active) continue;
      d.active = true;
      ApplyCrossTypeRule(member, type, shown);
    } else if (d.active) {
      Deactivate(d, shown);
    }
  }
}

void RosterModel::DeactivateDevice(MemberRecord& member, std::int32_t type, std::uint64_t deviceId,
                                   const ShownDevice& shown) {
  for (DeviceRecord& d : member.devices) {
    if (d.type == type && d.id == deviceId) {
      if (d.active) Deactivate(d, shown);
      break;
    }
  }
}

void RosterModel::ActivateBicycle(MemberRecord& member, std::uint64_t bicycleId,
                                  const ShownBicycle& shown) {
  for (BicycleRecord& b : member.bicycles) {
    if (b.id == bicycleId) {
      if (!b.active && shown(bicycleId)) b.active = true;
    } else if (b.active && shown(b.id)) {
      b.active = false;
    }
  }
}

void RosterModel::DeactivateBicycle(MemberRecord& member, std::uint64_t bicycleId,
                                    const ShownBicycle& shown) {
  for (BicycleRecord& b : member.bicycles) {
    if (b.id != bicycleId) continue;
    if (b.active && shown(b.id)) b.active = false;
    break;
  }
}

void RosterModel::RecordBest(std::uint64_t memberId, RankingType type, double score) {
  MemberRecord* member = FindMutable(memberId);
  if (member == nullptr) return;
  switch (type) {
    case RankingType::kSpeed: member->bestSpeed = score; break;
    case RankingType::kCadence: member->bestCadence = static_cast<std::int32_t>(score); break;
    case RankingType::kHeartRate: member->bestHeartRate = static_cast<std::int32_t>(score); break;
  }
}

const BicycleRecord* RosterModel::ActiveBicycle(std::uint64_t memberId) const {
  const MemberRecord* member = Find(memberId);
  if (member == nullptr) return nullptr;
  for (const BicycleRecord& b : member->bicycles) {
    if (b.active) return &b;
  }
  return nullptr;
}

const std::vector<int>* RosterModel::ActiveChainrings(std::uint64_t memberId,
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

const std::vector<int>* RosterModel::ActiveCassette(std::uint64_t memberId,
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

double RosterModel::ActiveWheelCircumference(std::uint64_t memberId, std::int32_t& position) const {
  position = -1;
  if (Find(memberId) == nullptr) return -1.0;
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
