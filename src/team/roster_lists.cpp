#include "team/roster_lists.h"

#include <string>
#include <vector>

#include "common/verify.h"

namespace vel {
namespace {

std::int32_t Colour(bool active) { return active ? ColourList::kActive : ColourList::kInactive; }

}  // namespace

void RosterLists::Show(const MemberRecord& member) {
  Clear();
  for (const DeviceRecord& d : member.devices) {
    ColourList* list = MutableSensorList(d.type);
    if (list == nullptr) continue;
    if (!list->Add(std::to_string(d.number), Colour(d.active), d.id)) return;
  }
  for (const BicycleRecord& b : member.bicycles) {
    if (!bicycles_.Add(b.name, Colour(b.active), b.id)) return;
  }
}

void RosterLists::Clear() {
  for (ColourList& list : sensorLists_) list.Clear();
  bicycles_.Clear();
}

void RosterLists::Recolour(const MemberRecord& member) {
  auto device = [&member](std::int32_t type, std::uint64_t id) -> const DeviceRecord* {
    for (const DeviceRecord& d : member.devices) {
      if (d.type == type && d.id == id) return &d;
    }
    return nullptr;
  };
  for (std::size_t i = 0; i < kSensorTypes.size(); ++i) {
    ColourList& list = sensorLists_[i];
    for (const ColourList::Entry& entry : list.Entries()) {
      const DeviceRecord* d = device(kSensorTypes[i], entry.id);
      // An entry is listed only with its record.
      VEL_VERIFY_OR_DEBUG_ASSERT(d != nullptr) { continue; }
      list.Recolour(entry.id, d->active);
    }
  }
  for (const ColourList::Entry& entry : bicycles_.Entries()) {
    const BicycleRecord* b = nullptr;
    for (const BicycleRecord& r : member.bicycles) {
      if (r.id == entry.id) {
        b = &r;
        break;
      }
    }
    VEL_VERIFY_OR_DEBUG_ASSERT(b != nullptr) { continue; }
    bicycles_.Recolour(entry.id, b->active);
  }
}

bool RosterLists::AddDevice(std::int32_t type, std::int32_t number, std::uint64_t deviceId) {
  ColourList* list = MutableSensorList(type);
  return list != nullptr && list->Add(std::to_string(number), ColourList::kInactive, deviceId);
}

bool RosterLists::AddBicycle(const std::string& name, std::uint64_t bicycleId) {
  return bicycles_.Add(name, ColourList::kInactive, bicycleId);
}

void RosterLists::RemoveDevice(std::int32_t type, std::uint64_t deviceId) {
  if (ColourList* list = MutableSensorList(type)) list->Remove(deviceId);
}

bool RosterLists::ShowsDevice(std::int32_t type, std::uint64_t deviceId) const {
  return SensorList(type).Find(deviceId) != nullptr;
}

bool RosterLists::ListsType(std::int32_t type) {
  for (const std::int32_t listed : kSensorTypes) {
    if (listed == type) return true;
  }
  return false;
}

const ColourList& RosterLists::SensorList(std::int32_t type) const {
  static const ColourList kNone;
  for (std::size_t i = 0; i < kSensorTypes.size(); ++i) {
    if (kSensorTypes[i] == type) return sensorLists_[i];
  }
  return kNone;
}

ColourList* RosterLists::MutableSensorList(std::int32_t type) {
  for (std::size_t i = 0; i < kSensorTypes.size(); ++i) {
    if (kSensorTypes[i] == type) return &sensorLists_[i];
  }
  return nullptr;
}

}  // namespace vel
