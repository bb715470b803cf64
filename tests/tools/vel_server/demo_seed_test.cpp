#include "vel-server/demo_seed.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "ant/sim/room_table.h"
#include "tools/vel_server/app_session.h"
#include "vel-server/schema_migrations.h"
#include "vel-server/sqlite_store_database.h"

namespace vel {
namespace {

using web::json::value;

// What a member's devices say once loaded: the active types, and every
// (type, number) registered.
struct LoadedDevices {
  std::multiset<int> activeTypes;
  std::set<std::pair<int, int>> registered;
};

LoadedDevices Devices(const value& member) {
  LoadedDevices devices;
  for (const value& device : member.at("device").as_array()) {
    const int type = device.at("type").as_integer();
    devices.registered.insert({type, device.at("number").as_integer()});
    if (device.at("active").as_bool()) devices.activeTypes.insert(type);
  }
  return devices;
}

TEST(DemoSeedTest, TheDemoTeamOwnsTheSimulatedRoomWithConsistentActiveSensors) {
  test::RunningCompanionServer server({.demo = true, .patches = {}});
  test::AppSession session(server);
  const test::SignedInUser demo =
      test::SignInUser(server, session.Executor(), session.Executor(), "demo");
  EXPECT_EQ(demo.teamName, "데모팀");
  const value members = session.Members(demo.accountId);
  ASSERT_EQ(members.size(), 10u);

  std::set<std::pair<int, int>> gears;
  for (int rider = 1; rider <= 10; ++rider) {
    const value& member = members.at(static_cast<std::size_t>(rider - 1));
    EXPECT_EQ(member.at("name").as_string(), "라이더" + std::to_string(rider));
    EXPECT_TRUE(member.at("height").is_double());
    EXPECT_TRUE(member.at("weight").is_double());

    // Every sensor of that rider of the room, and only those.
    const LoadedDevices devices = Devices(member);
    std::set<std::pair<int, int>> room;
    for (const sim::RoomSensor& sensor : sim::RoomSensorTable()) {
      if (sensor.rider == rider) room.insert({sensor.deviceType, sensor.deviceNumber});
    }
    EXPECT_EQ(devices.registered, room) << rider;

    // One active sensor of each kind used, and the program's rules hold.
    const std::multiset<int> expected = rider <= 4   ? std::multiset<int>{120, 121, 11}
                                        : rider <= 7 ? std::multiset<int>{120, 123, 122}
                                                     : std::multiset<int>{120, 123, 11};
    EXPECT_EQ(devices.activeTypes, expected) << rider;
    const auto has = [&](int type) { return devices.activeTypes.count(type) > 0; };
    EXPECT_FALSE(has(121) && (has(123) || has(122))) << rider;
    EXPECT_FALSE(has(11) && has(122)) << rider;

    int active = 0;
    for (const value& bicycle : member.at("bicycle").as_array()) {
      if (!bicycle.at("active").as_bool()) continue;
      ++active;
      EXPECT_EQ(bicycle.at("tire").as_integer(), 1);
      gears.insert({bicycle.at("crank").as_integer(), bicycle.at("cassette").as_integer()});
    }
    EXPECT_EQ(active, 1) << rider;
  }
  EXPECT_EQ(gears.size(), 10u);  // every rider rides other gears

  // Seeding again at the next start changes nothing.
  server.Restart();
  EXPECT_EQ(session.Members(demo.accountId), members);
}

TEST(DemoSeedTest, SeedingAddsOnlyWhatIsMissingAndLeavesTheTeamsChoices) {
  companion::SqliteStoreDatabase database(":memory:");
  companion::MigrateSchema(database);
  companion::TeamStore store(database);
  const companion::DemoSeedResult first = companion::SeedDemo(store);
  EXPECT_EQ(first.membersAdded, 10);

  // The team renames itself and lets one rider go.
  ASSERT_TRUE(store.ChangeTeamName(first.accountId, "새이름").Ok());
  const auto members = store.LoadMembers(first.accountId);
  ASSERT_TRUE(store.DeleteMember(first.accountId, members.value.at(2).id).Ok());

  const companion::DemoSeedResult second = companion::SeedDemo(store);
  EXPECT_EQ(second.accountId, first.accountId);
  EXPECT_EQ(second.membersAdded, 1);
  EXPECT_EQ(store.FindAccount(first.accountId).value.teamName, "새이름");
  EXPECT_EQ(companion::SeedDemo(store).membersAdded, 0);
}

TEST(DemoSeedTest, ANameTakenByAnotherTeamStopsTheSeeding) {
  companion::SqliteStoreDatabase database(":memory:");
  companion::MigrateSchema(database);
  companion::TeamStore store(database);
  const auto other = store.SignInAccount("42");
  ASSERT_TRUE(store.ChangeTeamName(other.value.id, "데모팀").Ok());
  EXPECT_THROW(companion::SeedDemo(store), std::runtime_error);
}

}  // namespace
}  // namespace vel
