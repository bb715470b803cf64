#pragma once

#include <array>
#include <cstdint>

#include "sensors/sensor_kinds.h"
#include "team/colour_list.h"
#include "team/roster_records.h"

namespace vel {

// What the team window lists of the member it shows: one sensor list per
// device type and the bicycle list. Which entries a list holds follows the
// window's changes (an entry is added when the server gave its id, removed
// when the server deleted it); each entry's colour is its record's active
// flag, drawn from the member by Recolour after every change.
class RosterLists {
 public:
  // Lists the member's sensors and bicycles in their record order; a device
  // or bicycle id listed twice ends the showing there.
  void Show(const MemberRecord& member);
  void Clear();
  // Each entry red when its record (the first of its type and id) is active.
  void Recolour(const MemberRecord& member);

  // Adds an inactive entry; false when its id is listed already (or no list
  // has the type).
  bool AddDevice(std::int32_t type, std::int32_t number, std::uint64_t deviceId);
  bool AddBicycle(const std::string& name, std::uint64_t bicycleId);
  void RemoveDevice(std::int32_t type, std::uint64_t deviceId);
  void RemoveBicycle(std::uint64_t bicycleId) { bicycles_.Remove(bicycleId); }

  bool ShowsDevice(std::int32_t type, std::uint64_t deviceId) const;
  bool ShowsBicycle(std::uint64_t bicycleId) const { return bicycles_.Find(bicycleId) != nullptr; }
  // Whether a list holds that device type.
  static bool ListsType(std::int32_t type);

  // The sensors of one device type (11, 120, 121, 122, 123); an empty list
  // for any other.
  const ColourList& SensorList(std::int32_t type) const;
  const ColourList& BicycleList() const { return bicycles_; }

 private:
  // The sensor lists, in the order the team dialog shows its groups.
  static constexpr std::array<std::int32_t, 5> kSensorTypes = {
      device_type::kBikeSpeed, device_type::kBikeCadence, device_type::kHeartRate,
      device_type::kBikeSpeedCadence, device_type::kBikePower};

  ColourList* MutableSensorList(std::int32_t type);

  std::array<ColourList, kSensorTypes.size()> sensorLists_;
  ColourList bicycles_;
};

}  // namespace vel
