#include "demo_seed.h"

#include <set>
#include <stdexcept>

#include "ant/sim/room_table.h"
#include "sensors/sensor_kinds.h"
#include "token_store.h"

namespace vel::companion {
namespace {

using namespace device_type;

std::set<int> ActiveTypes(int rider) {
  if (rider <= 4) return {kHeartRate, kBikeSpeedCadence, kBikePower};
  if (rider <= 7) return {kHeartRate, kBikeSpeed, kBikeCadence};
  return {kHeartRate, kBikeSpeed, kBikePower};
}

}  // namespace

std::string DemoMemberName(int rider) { return "라이더" + std::to_string(rider); }

MemberRecord DemoMember(int rider) {
  MemberRecord member;
  member.name = DemoMemberName(rider);
  const sim::RiderTraits traits = sim::RiderTraitsFor(rider);
  // The room's mass is rider and bicycle together.
  constexpr double kBicycleKg = 8;
  member.height = 165.0 + 2 * rider;
  member.weight = traits.massKg - kBicycleKg;
  member.gender = rider % 2 == 1 ? 1 : 2;
  const std::set<int> active = ActiveTypes(rider);
  for (const int type : {kHeartRate, kBikeSpeed, kBikeCadence, kBikeSpeedCadence, kBikePower}) {
    for (const sim::RoomSensor& sensor : sim::RoomSensorTable()) {
      if (sensor.rider != rider || sensor.deviceType != type) continue;
      member.devices.push_back({0, active.count(type) > 0, sensor.deviceNumber, type});
    }
  }
  BicycleRecord bicycle;
  bicycle.active = true;
  bicycle.name = "로드" + std::to_string(rider);
  bicycle.weight = kBicycleKg - 1 + 0.5 * (rider % 3);
  bicycle.crank = (rider - 1) % 3 + 1;
  bicycle.cassette = rider;
  bicycle.tire = 1;
  member.bicycles.push_back(bicycle);
  return member;
}

DemoSeedResult SeedDemo(TeamStore& store) {
  const auto account = store.SignInAccount(SignInUserId(kDemoUser));
  if (!account.Ok()) throw std::runtime_error("the demo account cannot be made");
  DemoSeedResult result{account.value.id, 0};
  if (account.value.teamName.empty() && !store.ChangeTeamName(result.accountId, kDemoTeam).Ok()) {
    throw std::runtime_error(std::string("another team has the name ") + kDemoTeam);
  }
  const auto members = store.LoadMembers(result.accountId);
  if (!members.Ok()) throw std::runtime_error("the demo team cannot be read");
  std::set<std::string> present;
  for (const MemberRecord& member : members.value) present.insert(member.name);
  for (int rider = 1; rider <= kDemoRiders; ++rider) {
    if (present.count(DemoMemberName(rider)) > 0) continue;
    if (!store.ImportMember(result.accountId, DemoMember(rider)).Ok()) {
      throw std::runtime_error("rider " + std::to_string(rider) + " cannot be added");
    }
    ++result.membersAdded;
  }
  return result;
}

}  // namespace vel::companion
