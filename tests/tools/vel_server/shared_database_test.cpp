#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <barrier>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "sensors/sensor_kinds.h"
#include "support/private_postgres.h"
#include "support/run_program.h"
#include "tools/vel_server/app_session.h"
#include "vel-server/pg_connection.h"
#include "vel-server/pg_store_database.h"
#include "vel-server/schema_migrations.h"
#include "vel-server/team_store.h"

namespace vel {
namespace {

using test::Packet;
using test::U64;
using web::json::value;
using enum RequestHeader;

// Two servers on one PostgreSQL database, asked at the same time about the
// same team: the rules each checks before a change hold across both.
TEST(SharedDatabaseTest, TwoServersKeepIdsBestsAndActivationRulesUnderConcurrentRequests) {
  test::RunningCompanionServer::Setup setup;
  setup.database = test::SharedPostgres().NewDatabase();
  test::RunningCompanionServer first(setup);
  test::RunningCompanionServer second(setup);
  const test::RunningCompanionServer* servers[] = {&first, &second};

  test::AppSession session(first);
  const std::uint64_t account = session.Account("7001");
  const std::uint64_t rider = session.AddMember(account, "shared");
  std::vector<std::uint64_t> devices;
  for (std::size_t i = 0; i < kSensorKinds.size() * 2; ++i) {
    devices.push_back(
        session.AddDevice(rider, 300 + static_cast<int>(i), kSensorKinds[i % 5].deviceType));
  }

  constexpr int kClients = 6;
  constexpr int kRounds = 12;
  std::mutex mutex;
  std::set<std::uint64_t> added;
  int bestCadence = 0;
  std::map<std::string, int> claims;  // team name -> accounts that got it
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      test::AppSession own(*servers[c % 2]);
      // The same new user signing in on both servers is one account.
      const std::uint64_t mine = own.Account("71" + std::to_string(c / 2));
      for (int round = 0; round < kRounds; ++round) {
        const std::uint64_t member = own.AddMember(account, "c" + std::to_string(c));
        const std::size_t device = static_cast<std::size_t>(c * 7 + round * 3) % devices.size();
        const bool activated = own.Toggle(kActivateDevice, rider, "deviceid", devices[device]).ok;
        const int cadence = 60 + (c * 31 + round * 17) % 90;
        const bool reported =
            own.Report(account, rider, RankingType::kCadence, value::number(cadence)).ok;
        const std::string name = "팀" + std::to_string(round);
        const bool named = own.Ask(Packet(kChangeTeamName, {{"accountid", U64(mine)},
                                                            {"teamname", value::string(name)}}))
                               .ok;
        std::lock_guard lock(mutex);
        EXPECT_TRUE(added.insert(member).second) << "id " << member << " handed out twice";
        EXPECT_TRUE(activated && reported);
        if (reported) bestCadence = std::max(bestCadence, cadence);
        if (named) ++claims[name];
      }
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_THAT(session.Box().Texts(), testing::IsEmpty());

  test::AppSession check(second);
  const value loaded = check.Member(account, rider);
  EXPECT_EQ(loaded.at("score").at("cadence").as_integer(), bestCadence);
  // No two active sensors of one type, and none that an active one ends.
  std::set<int> active;
  for (const value& device : loaded.at("device").as_array()) {
    if (!device.at("active").as_bool()) continue;
    EXPECT_TRUE(active.insert(device.at("type").as_integer()).second);
  }
  for (const int type : active) {
    for (const std::uint8_t ended : FindSensorKind(type)->SwitchesOff()) {
      EXPECT_EQ(active.count(ended), 0u) << type << " is active beside " << int{ended};
    }
  }
  EXPECT_EQ(check.Members(account).size(), 1u + added.size());
  // Three accounts raced for each name: one has it at a time, and the
  // last name each took is its own.
  for (const auto& [name, count] : claims) EXPECT_GE(count, 1) << name;
  std::set<std::string> held;
  for (int c = 0; c < kClients; c += 2) {
    const value reply =
        check
            .Ask(Packet(kSignIn, {{"type", value::string("facebook")},
                                  {"account", value::string("71" + std::to_string(c / 2))}}))
            .reply;
    const std::string name = reply.at("teamname").as_string();
    if (!name.empty()) {
      EXPECT_TRUE(held.insert(name).second) << name << " held twice";
    }
  }
}

// Two servers' stores activating two straps of one rider at the same
// moment, again and again: one strap is active after each pair, whichever
// won.
TEST(SharedDatabaseTest, ActivationsAtTheSameMomentLeaveOneSensorOfATypeActive) {
  const std::string url = test::SharedPostgres().NewDatabase();
  companion::PgStoreDatabase firstDatabase(url);
  companion::MigrateSchema(firstDatabase);
  companion::PgStoreDatabase secondDatabase(url);
  companion::TeamStore first(firstDatabase);
  companion::TeamStore second(secondDatabase);
  const std::uint64_t account = first.SignInAccount("7101").value.id;
  const std::uint64_t rider = first.AddMember(account, "r").value;
  const std::uint64_t straps[] = {first.AddDevice(rider, 1, 120).value,
                                  first.AddDevice(rider, 2, 120).value};
  constexpr int kPairs = 40;
  std::barrier together(2);
  const auto activate = [&](companion::TeamStore& store, std::uint64_t strap) {
    for (int pair = 0; pair < kPairs; ++pair) {
      together.arrive_and_wait();
      EXPECT_TRUE(store.ActivateDevice(rider, strap).Ok());
      together.arrive_and_wait();
      if (&store == &first) {
        int active = 0;
        const auto loaded = first.LoadMembers(account);
        for (const DeviceRecord& device : loaded.value.at(0).devices) {
          active += device.active ? 1 : 0;
        }
        EXPECT_EQ(active, 1) << "pair " << pair;
        // Both off again for the next pair.
        first.DeactivateDevice(rider, straps[0]);
        first.DeactivateDevice(rider, straps[1]);
      }
    }
  };
  std::thread other([&] { activate(second, straps[1]); });
  activate(first, straps[0]);
  other.join();
}

// The database going away mid-service: requests get errcode 500, nothing
// else breaks, and once it is back the server serves again on new
// connections.
TEST(SharedDatabaseTest, ADatabaseThatFailsGivesErrcode500AndTheServerRecovers) {
  test::RunningCompanionServer::Setup setup;
  setup.database = test::SharedPostgres().NewDatabase();
  const std::string name = setup.database.substr(setup.database.rfind('/') + 1);
  test::RunningCompanionServer server(setup);
  test::AppSession session(server);
  const std::uint64_t account = session.Account("7201");

  companion::PgConnection admin(test::SharedPostgres().Url());
  const auto shut = [&](bool closed) {
    admin.Run(
        ("ALTER DATABASE " + name + " ALLOW_CONNECTIONS " + (closed ? "false" : "true")).c_str());
    admin.Exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = $1", {name});
  };
  shut(true);
  const value add =
      Packet(kAddMember, {{"accountid", U64(account)}, {"membername", value::string("m")}});
  EXPECT_EQ(session.Ask(add).Errcode(), errcode::kStorage);
  EXPECT_EQ(session.Ask(Packet(kLoadMembers, {{"accountid", U64(account)}})).Errcode(),
            errcode::kStorage);
  shut(false);
  EXPECT_TRUE(session.Ask(add).ok);
  // A restart of the database cuts the pool's connections: a request finds
  // that out before it begins, and begins on a new one.
  shut(false);
  EXPECT_TRUE(session.Ask(add).ok);
  EXPECT_EQ(session.Members(account).size(), 2u);
  EXPECT_THAT(session.Box().Texts(), testing::IsEmpty());
}

// vel-server-load with two servers of the program on one database, the
// first killed with SIGKILL in the middle: the second serves on and every
// change either acknowledged is there.
TEST(SharedDatabaseTest, TheOtherServerServesOnWhenOneIsKilled) {
  const test::ProgramRun run = test::RunProgram(
      VEL_SERVER_LOAD_EXE, {"--server", VEL_SERVER_EXE, "--servers", "2", "--database",
                            test::SharedPostgres().NewDatabase(), "--clients", "4", "--requests",
                            "60", "--kill-after", "100"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_THAT(run.out, testing::HasSubstr("passed, the others served on"));
}

}  // namespace
}  // namespace vel
