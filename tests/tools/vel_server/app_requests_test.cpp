#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "server/request_catalogue.h"
#include "support/private_postgres.h"
#include "tools/vel_server/app_session.h"

namespace vel {
namespace {

using test::Packet;
using test::U64;
using web::json::value;
using enum RequestHeader;

// The suite runs on both stores: the embedded SQLite file and a database of
// the tests' own PostgreSQL cluster.
enum class Store { kSqlite, kPostgres };

test::RunningCompanionServer::Setup SetupFor(Store store) {
  test::RunningCompanionServer::Setup setup;
  if (store == Store::kPostgres) setup.database = test::SharedPostgres().NewDatabase();
  return setup;
}

class AppServerBase : public ::testing::Test {
 protected:
  explicit AppServerBase(Store store) : server_(SetupFor(store)) {}

  // The ids of a member's devices that are active.
  std::set<std::uint64_t> ActiveDevices(std::uint64_t account, std::uint64_t member) {
    std::set<std::uint64_t> active;
    const value loaded = session_.Member(account, member);
    if (loaded.at("device").is_null()) return active;
    for (const value& device : loaded.at("device").as_array()) {
      if (device.at("active").as_bool()) active.insert(device.at("id").as_number().to_uint64());
    }
    return active;
  }

  test::RunningCompanionServer server_;
  test::AppSession session_{server_};
};

class AppServerTest : public AppServerBase, public ::testing::WithParamInterface<Store> {
 protected:
  AppServerTest() : AppServerBase(GetParam()) {}
};

std::string StoreName(Store store) { return store == Store::kSqlite ? "Sqlite" : "Postgres"; }

TEST_P(AppServerTest, SignInFindsOrMakesTheAccountOfASignInUser) {
  const test::SignedInUser first =
      test::SignInUser(server_, session_.Executor(), session_.Executor(), "kim");
  EXPECT_EQ(first.userId.size(), 15u);
  EXPECT_EQ(first.teamName, "");
  const test::SignedInUser again =
      test::SignInUser(server_, session_.Executor(), session_.Executor(), "kim");
  EXPECT_EQ(again.userId, first.userId);
  EXPECT_EQ(again.accountId, first.accountId);
  EXPECT_NE(again.accessToken, first.accessToken);
  const test::SignedInUser other =
      test::SignInUser(server_, session_.Executor(), session_.Executor(), "lee");
  EXPECT_NE(other.accountId, first.accountId);

  // The token of header -1 is one value for every asker.
  const auto appToken = [this] {
    return session_.Ask(Packet(kAppToken)).reply.at("appaccesstoken").as_string();
  };
  EXPECT_EQ(appToken(), appToken());

  for (const value& account : {value::string(""), value::string("12a"), value::number(5)}) {
    const test::Answered refused =
        session_.Ask(Packet(kSignIn, {{"type", value::string("facebook")}, {"account", account}}));
    EXPECT_FALSE(refused.ok) << account.serialize();
  }
  EXPECT_EQ(session_
                .Ask(Packet(kSignIn,
                            {{"type", value::string("google")}, {"account", value::string("1")}}))
                .Errcode(),
            errcode::kBadValue);
  EXPECT_THAT(session_.Box().Texts(), testing::IsEmpty());
}

TEST_P(AppServerTest, TeamNamesAreUniqueAndAnAccountMayTakeItsOwnAgain) {
  const std::uint64_t a = session_.Account("1001");
  const std::uint64_t b = session_.Account("1002");
  const auto check = [this](const std::string& name) {
    return session_.Ask(Packet(kCheckTeamName, {{"teamname", value::string(name)}}));
  };
  const auto change = [this](std::uint64_t account, const std::string& name) {
    return session_.Ask(
        Packet(kChangeTeamName, {{"accountid", U64(account)}, {"teamname", value::string(name)}}));
  };

  EXPECT_TRUE(check("번개팀").ok);
  EXPECT_TRUE(change(a, "번개팀").ok);
  EXPECT_EQ(check("번개팀").Errcode(), errcode::kTeamNameUnavailable);
  EXPECT_EQ(change(b, "번개팀").Errcode(), errcode::kTeamNameUnavailable);
  EXPECT_TRUE(change(a, "번개팀").ok);
  EXPECT_EQ(session_
                .Ask(Packet(kSignIn, {{"type", value::string("facebook")},
                                      {"account", value::string("1001")}}))
                .reply.at("teamname")
                .as_string(),
            "번개팀");

  // Renaming frees the old name.
  EXPECT_TRUE(change(a, "천둥팀").ok);
  EXPECT_TRUE(change(b, "번개팀").ok);

  for (const std::string& bad :
       std::vector<std::string>{"", "two words", "tab\there", std::string(101, 'x')}) {
    EXPECT_EQ(check(bad).Errcode(), errcode::kTeamNameUnavailable) << bad;
    EXPECT_EQ(change(a, bad).Errcode(), errcode::kTeamNameUnavailable) << bad;
  }
  EXPECT_EQ(change(999999, "새팀").Errcode(), errcode::kUnknownAccount);
  const test::Answered replied = check("새팀");
  EXPECT_EQ(replied.reply.at("header").as_integer(), HeaderNumber(kCheckTeamName));
}

TEST_P(AppServerTest, MembersDevicesAndBicyclesLoadWithTheProgramsNumberKinds) {
  const std::uint64_t account = session_.Account("2001");
  EXPECT_EQ(session_.Members(account).size(), 0u);
  const std::uint64_t member = session_.AddMember(account, "민수");
  const value bare = session_.Member(account, member);
  for (const char* key : {"height", "weight", "gender", "device", "bicycle", "score"}) {
    EXPECT_TRUE(bare.at(key).is_null()) << key;
  }
  EXPECT_EQ(bare.at("name").as_string(), "민수");

  const std::uint64_t strap = session_.AddDevice(member, 12001, 120);
  const std::uint64_t bicycle = session_.AddBicycle(
      member, "로드", value::number(8.0), value::number(2), value::number(13), value::number(1));
  const std::uint64_t plain = session_.AddBicycle(member, "출퇴근", value::null(), value::number(0),
                                                  value::null(), value::null());
  ASSERT_TRUE(session_
                  .Ask(Packet(kSaveBodyInfo, {{"accountid", U64(account)},
                                              {"memberid", U64(member)},
                                              {"height", value::number(170.0)},
                                              {"weight", value::number(double(65.3f))},
                                              {"gender", value::number(2)},
                                              {"age", value::null()}}))
                  .ok);

  const value loaded = session_.Member(account, member);
  EXPECT_TRUE(loaded.at("id").as_number().is_uint64());
  EXPECT_TRUE(loaded.at("height").is_double());  // 170.0 stays a floating number
  EXPECT_DOUBLE_EQ(loaded.at("height").as_double(), 170.0);
  EXPECT_EQ(static_cast<float>(loaded.at("weight").as_double()), 65.3f);
  EXPECT_TRUE(loaded.at("gender").is_integer());
  EXPECT_EQ(loaded.at("gender").as_integer(), 2);

  const value device = loaded.at("device").at(0);
  EXPECT_EQ(device.at("id").as_number().to_uint64(), strap);
  EXPECT_FALSE(device.at("active").as_bool());
  EXPECT_EQ(device.at("number").as_integer(), 12001);
  EXPECT_EQ(device.at("type").as_integer(), 120);

  const value bicycles = loaded.at("bicycle");
  ASSERT_EQ(bicycles.size(), 2u);
  EXPECT_EQ(bicycles.at(0).at("id").as_number().to_uint64(), bicycle);
  EXPECT_TRUE(bicycles.at(0).at("weight").is_double());
  EXPECT_EQ(bicycles.at(0).at("crank").as_integer(), 2);
  EXPECT_EQ(bicycles.at(0).at("cassette").as_integer(), 13);
  EXPECT_EQ(bicycles.at(0).at("tire").as_integer(), 1);
  EXPECT_EQ(bicycles.at(1).at("id").as_number().to_uint64(), plain);
  // Nothing chosen, sent as null or as the empty first entry, loads as null.
  for (const char* key : {"weight", "crank", "cassette", "tire"}) {
    EXPECT_TRUE(bicycles.at(1).at(key).is_null()) << key;
  }

  // Body data sent as null again clears it.
  ASSERT_TRUE(session_
                  .Ask(Packet(kSaveBodyInfo, {{"accountid", U64(account)},
                                              {"memberid", U64(member)},
                                              {"height", value::null()},
                                              {"weight", value::null()},
                                              {"gender", value::null()},
                                              {"age", value::null()}}))
                  .ok);
  EXPECT_TRUE(session_.Member(account, member).at("height").is_null());
  EXPECT_TRUE(session_.Member(account, member).at("gender").is_null());
}

TEST_P(AppServerTest, ValuesOutsideTheProgramsListsAndRangesAreRefused) {
  const std::uint64_t account = session_.Account("2101");
  const std::uint64_t member = session_.AddMember(account, "a");
  const auto addDevice = [&](int number, int type) {
    return session_.Ask(Packet(kAddDevice, {{"memberid", U64(member)},
                                            {"devicenumber", value::number(number)},
                                            {"devicetype", value::number(type)}}));
  };
  EXPECT_EQ(addDevice(12001, 124).Errcode(), errcode::kBadValue);
  EXPECT_EQ(addDevice(65536, 120).Errcode(), errcode::kBadValue);
  EXPECT_EQ(addDevice(-1, 120).Errcode(), errcode::kBadValue);
  EXPECT_TRUE(addDevice(123, 120).ok);
  EXPECT_EQ(addDevice(123, 120).Errcode(), errcode::kDeviceRegistered);
  EXPECT_TRUE(addDevice(123, 123).ok);  // the same number of another type

  const auto addBicycle = [&](value crank, value cassette, value tire) {
    return session_.Ask(Packet(kAddBicycle, {{"memberid", U64(member)},
                                             {"name", value::string("b")},
                                             {"weight", value::null()},
                                             {"crank", crank},
                                             {"cassette", cassette},
                                             {"tire", tire}}));
  };
  EXPECT_EQ(addBicycle(value::number(4), value::null(), value::null()).Errcode(),
            errcode::kBadValue);
  EXPECT_EQ(addBicycle(value::null(), value::number(14), value::null()).Errcode(),
            errcode::kBadValue);
  EXPECT_EQ(addBicycle(value::null(), value::null(), value::number(2)).Errcode(),
            errcode::kBadValue);
  EXPECT_TRUE(addBicycle(value::number(3), value::number(13), value::number(-1)).ok);

  EXPECT_EQ(
      session_
          .Ask(Packet(kAddMember, {{"accountid", U64(account)}, {"membername", value::string("")}}))
          .Errcode(),
      errcode::kBadValue);
  EXPECT_EQ(session_
                .Ask(Packet(kSaveBodyInfo, {{"accountid", U64(account)},
                                            {"memberid", U64(member)},
                                            {"height", value::number(-5.0)},
                                            {"weight", value::null()},
                                            {"gender", value::number(3)},
                                            {"age", value::null()}}))
                .Errcode(),
            errcode::kBadValue);
}

TEST_P(AppServerTest, RequestsNamingWhatIsNotTheirsAreRefused) {
  const std::uint64_t mine = session_.Account("3001");
  const std::uint64_t theirs = session_.Account("3002");
  const std::uint64_t member = session_.AddMember(mine, "나");
  const std::uint64_t stranger = session_.AddMember(theirs, "남");
  const std::uint64_t device = session_.AddDevice(member, 1, 11);
  const std::uint64_t strangersDevice = session_.AddDevice(stranger, 2, 11);
  const std::uint64_t bicycle =
      session_.AddBicycle(member, "b", value::null(), value::null(), value::null(), value::null());

  // Another account's member, and ids that do not exist.
  EXPECT_EQ(
      session_.Ask(Packet(kDeleteMember, {{"accountid", U64(theirs)}, {"memberid", U64(member)}}))
          .Errcode(),
      errcode::kUnknownMember);
  EXPECT_EQ(session_.Ask(Packet(kLoadMembers, {{"accountid", U64(77777)}})).Errcode(),
            errcode::kUnknownAccount);
  EXPECT_EQ(session_.Ask(Packet(kLoadMembers, {{"accountid", U64(UINT64_MAX)}})).Errcode(),
            errcode::kUnknownAccount);
  EXPECT_EQ(session_
                .Ask(Packet(kDeleteDevice, {{"accountid", U64(mine)},
                                            {"memberid", U64(member)},
                                            {"deviceid", U64(strangersDevice)}}))
                .Errcode(),
            errcode::kUnknownDevice);
  EXPECT_EQ(session_.Toggle(kActivateDevice, member, "deviceid", strangersDevice).Errcode(),
            errcode::kUnknownDevice);
  EXPECT_EQ(session_.Toggle(kActivateBicycle, stranger, "bicycleid", bicycle).Errcode(),
            errcode::kUnknownBicycle);
  EXPECT_EQ(session_
                .Ask(Packet(kDeleteBicycle, {{"accountid", U64(theirs)},
                                             {"memberid", U64(member)},
                                             {"bicycleid", U64(bicycle)}}))
                .Errcode(),
            errcode::kUnknownMember);
  EXPECT_EQ(session_.Report(theirs, member, RankingType::kSpeed, value::number(30.0)).Errcode(),
            errcode::kUnknownMember);
  EXPECT_EQ(session_
                .Ask(Packet(kSaveBodyInfo, {{"accountid", U64(theirs)},
                                            {"memberid", U64(member)},
                                            {"height", value::null()},
                                            {"weight", value::null()},
                                            {"gender", value::null()},
                                            {"age", value::null()}}))
                .Errcode(),
            errcode::kUnknownMember);

  // Nothing of it changed a thing.
  const value loaded = session_.Member(mine, member);
  EXPECT_EQ(loaded.at("device").size(), 1u);
  EXPECT_EQ(loaded.at("device").at(0).at("id").as_number().to_uint64(), device);
  EXPECT_TRUE(loaded.at("score").is_null());
  EXPECT_EQ(session_.Members(theirs).size(), 1u);
}

TEST_P(AppServerTest, DeletingAMemberTakesItsDevicesAndBicyclesAndIdsAreNeverReused) {
  const std::uint64_t account = session_.Account("4001");
  const std::uint64_t keep = session_.AddMember(account, "keep");
  const std::uint64_t gone = session_.AddMember(account, "gone");
  const std::uint64_t device = session_.AddDevice(gone, 7, 120);
  const std::uint64_t bicycle =
      session_.AddBicycle(gone, "b", value::null(), value::null(), value::null(), value::null());
  const std::uint64_t kept = session_.AddDevice(keep, 8, 120);

  const test::Answered deleted =
      session_.Ask(Packet(kDeleteMember, {{"accountid", U64(account)}, {"memberid", U64(gone)}}));
  EXPECT_TRUE(deleted.ok);
  EXPECT_EQ(deleted.reply.at("header").as_integer(), HeaderNumber(kDeleteMember));
  EXPECT_EQ(session_.Members(account).size(), 1u);
  EXPECT_EQ(session_.Toggle(kActivateDevice, gone, "deviceid", device).Errcode(),
            errcode::kUnknownMember);
  EXPECT_EQ(session_.Toggle(kActivateBicycle, gone, "bicycleid", bicycle).Errcode(),
            errcode::kUnknownMember);

  // The highest ids were deleted; new ones still go past them.
  EXPECT_GT(session_.AddMember(account, "new"), gone);
  EXPECT_GT(session_.AddDevice(keep, 9, 123), device);
  EXPECT_GT(
      session_.AddBicycle(keep, "c", value::null(), value::null(), value::null(), value::null()),
      bicycle);

  ASSERT_TRUE(session_
                  .Ask(Packet(kDeleteDevice, {{"accountid", U64(account)},
                                              {"memberid", U64(keep)},
                                              {"deviceid", U64(kept)}}))
                  .ok);
  EXPECT_EQ(session_.Member(account, keep).at("device").size(), 1u);
  ASSERT_TRUE(session_
                  .Ask(Packet(kDeleteDevice, {{"accountid", U64(account)},
                                              {"memberid", U64(keep)},
                                              {"deviceid", U64(kept)}}))
                  .Errcode() == errcode::kUnknownDevice);
}

// One case of the activation rules: which of the member's sensors are
// active after the steps.
struct ActivationCase {
  const char* name;
  std::vector<std::pair<RequestHeader, int>> steps;  // (kOn or kOff, index into kSensors)
  std::set<int> active;                              // indexes into kSensors
};

// The sensors of every case: two straps, one of every other type.
constexpr int kSensorTypes[] = {120, 120, 123, 122, 121, 11};
enum { kStrap1, kStrap2, kSpeed, kCadence, kCombined, kPower };
constexpr RequestHeader kOn = kActivateDevice;
constexpr RequestHeader kOff = kDeactivateDevice;

class ActivationRules : public AppServerBase,
                        public ::testing::WithParamInterface<std::tuple<ActivationCase, Store>> {
 protected:
  ActivationRules() : AppServerBase(std::get<1>(GetParam())) {}
};

TEST_P(ActivationRules, LeaveTheSensorsTheProgramShowsActive) {
  const ActivationCase& c = std::get<0>(GetParam());
  const std::uint64_t account = session_.Account("5001");
  const std::uint64_t member = session_.AddMember(account, "m");
  std::vector<std::uint64_t> ids;
  for (int i = 0; i < 6; ++i) ids.push_back(session_.AddDevice(member, 100 + i, kSensorTypes[i]));
  for (const auto& [header, index] : c.steps) {
    const test::Answered answered =
        session_.Toggle(header, member, "deviceid", ids[static_cast<std::size_t>(index)]);
    ASSERT_TRUE(answered.ok) << answered.reply.serialize();
    EXPECT_EQ(answered.reply.at("header").as_integer(), HeaderNumber(header));
  }
  std::set<std::uint64_t> expected;
  for (const int index : c.active) expected.insert(ids[static_cast<std::size_t>(index)]);
  EXPECT_EQ(ActiveDevices(account, member), expected);
  server_.Restart();
  EXPECT_EQ(ActiveDevices(account, member), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ActivationRules,
    ::testing::Combine(
        ::testing::Values(
            ActivationCase{"OneOfEachKind",
                           {{kOn, kStrap1}, {kOn, kSpeed}, {kOn, kPower}},
                           {kStrap1, kSpeed, kPower}},
            ActivationCase{
                "ASecondStrapReplacesTheFirst", {{kOn, kStrap1}, {kOn, kStrap2}}, {kStrap2}},
            ActivationCase{"CombinedEndsSpeedAndCadence",
                           {{kOn, kSpeed}, {kOn, kCadence}, {kOn, kCombined}},
                           {kCombined}},
            ActivationCase{"SpeedEndsCombinedAndCadenceStaysOff",
                           {{kOn, kSpeed}, {kOn, kCadence}, {kOn, kCombined}, {kOn, kSpeed}},
                           {kSpeed}},
            ActivationCase{"CadenceEndsCombinedAndPower",
                           {{kOn, kCombined}, {kOn, kPower}, {kOn, kCadence}},
                           {kCadence}},
            ActivationCase{"PowerEndsCadenceButNotSpeed",
                           {{kOn, kSpeed}, {kOn, kCadence}, {kOn, kPower}},
                           {kSpeed, kPower}},
            ActivationCase{"PowerAndCombinedGoTogether",
                           {{kOn, kCombined}, {kOn, kPower}},
                           {kCombined, kPower}},
            ActivationCase{"ActivatingAnActiveSensorChangesNothingElse",
                           {{kOn, kPower}, {kOn, kSpeed}, {kOn, kPower}},
                           {kPower, kSpeed}},
            ActivationCase{"DeactivateEndsOnlyThatSensor",
                           {{kOn, kStrap1}, {kOn, kCombined}, {kOff, kCombined}, {kOff, kSpeed}},
                           {kStrap1}}),
        ::testing::Values(Store::kSqlite, Store::kPostgres)),
    [](const ::testing::TestParamInfo<std::tuple<ActivationCase, Store>>& param) {
      return std::string(std::get<0>(param.param).name) + StoreName(std::get<1>(param.param));
    });

TEST_P(AppServerTest, OneBicycleIsActiveAtATime) {
  const std::uint64_t account = session_.Account("6001");
  const std::uint64_t member = session_.AddMember(account, "m");
  const auto add = [&](const char* name) {
    return session_.AddBicycle(member, name, value::null(), value::null(), value::null(),
                               value::null());
  };
  const std::uint64_t road = add("road");
  const std::uint64_t track = add("track");
  const auto active = [&] {
    std::vector<std::uint64_t> ids;
    const value loaded = session_.Member(account, member);
    for (const value& b : loaded.at("bicycle").as_array()) {
      if (b.at("active").as_bool()) ids.push_back(b.at("id").as_number().to_uint64());
    }
    return ids;
  };
  EXPECT_EQ(session_.Toggle(kActivateBicycle, member, "bicycleid", road).reply.at("header"),
            HeaderNumber(kActivateBicycle));
  EXPECT_EQ(active(), std::vector<std::uint64_t>{road});
  session_.Toggle(kActivateBicycle, member, "bicycleid", track);
  EXPECT_EQ(active(), std::vector<std::uint64_t>{track});
  EXPECT_EQ(session_.Toggle(kDeactivateBicycle, member, "bicycleid", track).reply.at("header"),
            HeaderNumber(kDeactivateBicycle));
  EXPECT_TRUE(active().empty());
  ASSERT_TRUE(session_
                  .Ask(Packet(kDeleteBicycle, {{"accountid", U64(account)},
                                               {"memberid", U64(member)},
                                               {"bicycleid", U64(road)}}))
                  .ok);
  EXPECT_EQ(session_.Member(account, member).at("bicycle").size(), 1u);
}

TEST_P(AppServerTest, ScoreReportsRaiseABestOnlyWhenHigher) {
  const std::uint64_t account = session_.Account("7001");
  const std::uint64_t member = session_.AddMember(account, "m");
  EXPECT_TRUE(session_.Report(account, member, RankingType::kSpeed, value::number(30.5)).ok);
  EXPECT_TRUE(session_.Report(account, member, RankingType::kSpeed, value::number(29.0))
                  .ok);  // accepted, lower
  EXPECT_TRUE(session_.Report(account, member, RankingType::kCadence, value::number(95)).ok);
  EXPECT_TRUE(session_.Report(account, member, RankingType::kHeartRate, value::number(171)).ok);
  EXPECT_TRUE(session_.Report(account, member, RankingType::kHeartRate, value::number(170)).ok);

  value score = session_.Member(account, member).at("score");
  EXPECT_TRUE(score.at("speed").is_double());
  EXPECT_DOUBLE_EQ(score.at("speed").as_double(), 30.5);
  EXPECT_TRUE(score.at("cadence").is_integer());
  EXPECT_EQ(score.at("cadence").as_integer(), 95);
  EXPECT_EQ(score.at("hrm").as_integer(), 171);

  // A whole speed is still a floating number; cadence and heart rate must
  // be whole.
  EXPECT_TRUE(session_.Report(account, member, RankingType::kSpeed, value::number(45)).ok);
  score = session_.Member(account, member).at("score");
  EXPECT_TRUE(score.at("speed").is_double());
  EXPECT_DOUBLE_EQ(score.at("speed").as_double(), 45.0);
  EXPECT_EQ(session_.Report(account, member, RankingType::kCadence, value::number(96.5)).Errcode(),
            errcode::kBadMember);
  EXPECT_EQ(
      session_.Report(account, member, static_cast<RankingType>(kRankingTypes), value::number(1))
          .Errcode(),
      errcode::kBadValue);
  EXPECT_EQ(session_.Report(account, member, RankingType::kSpeed, value::number(-1.0)).Errcode(),
            errcode::kBadValue);
}

TEST_P(AppServerTest, RankingsListEveryTeamsBestsBestFirst) {
  const std::uint64_t a = session_.Account("8001");
  const std::uint64_t b = session_.Account("8002");
  ASSERT_TRUE(
      session_
          .Ask(Packet(kChangeTeamName, {{"accountid", U64(a)}, {"teamname", value::string("A팀")}}))
          .ok);
  ASSERT_TRUE(
      session_
          .Ask(Packet(kChangeTeamName, {{"accountid", U64(b)}, {"teamname", value::string("B팀")}}))
          .ok);
  const std::uint64_t a1 = session_.AddMember(a, "a1");
  const std::uint64_t a2 = session_.AddMember(a, "a2");
  const std::uint64_t b1 = session_.AddMember(b, "b1");
  session_.AddMember(b, "idle");  // no scores: in no table
  session_.Report(a, a1, RankingType::kSpeed, value::number(41.25));
  session_.Report(b, b1, RankingType::kSpeed, value::number(45.0));
  session_.Report(a, a2, RankingType::kSpeed, value::number(38.0));
  session_.Report(a, a1, RankingType::kCadence, value::number(110));
  session_.Report(b, b1, RankingType::kHeartRate, value::number(188));

  const value speed = session_.Ranking(RankingType::kSpeed);
  ASSERT_EQ(speed.size(), 3u);
  const std::vector<std::pair<std::string, std::string>> order = {
      {"B팀", "b1"}, {"A팀", "a1"}, {"A팀", "a2"}};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(speed.at(i).at("teamname").as_string(), order[i].first);
    EXPECT_EQ(speed.at(i).at("membername").as_string(), order[i].second);
    EXPECT_TRUE(speed.at(i).at("score").is_double()) << i;
  }
  EXPECT_DOUBLE_EQ(speed.at(0).at("score").as_double(), 45.0);

  const value cadence = session_.Ranking(RankingType::kCadence);
  ASSERT_EQ(cadence.size(), 1u);
  EXPECT_TRUE(cadence.at(0).at("score").is_integer());
  EXPECT_EQ(cadence.at(0).at("score").as_integer(), 110);
  const value heart = session_.Ranking(RankingType::kHeartRate);
  ASSERT_EQ(heart.size(), 1u);
  EXPECT_EQ(heart.at(0).at("membername").as_string(), "b1");
  EXPECT_EQ(heart.at(0).at("score").as_integer(), 188);
  EXPECT_EQ(
      session_.Ask(Packet(kLoadRanking, {{"rankingtype", value::number(kRankingTypes)}})).Errcode(),
      errcode::kBadValue);
}

TEST_P(AppServerTest, ARestartKeepsEverythingAnswered) {
  const test::SignedInUser user =
      test::SignInUser(server_, session_.Executor(), session_.Executor(), "park");
  ASSERT_TRUE(session_
                  .Ask(Packet(kChangeTeamName, {{"accountid", U64(user.accountId)},
                                                {"teamname", value::string("지속팀")}}))
                  .ok);
  const std::uint64_t member = session_.AddMember(user.accountId, "m");
  const std::uint64_t device = session_.AddDevice(member, 12005, 120);
  session_.Toggle(kActivateDevice, member, "deviceid", device);
  session_.AddBicycle(member, "b", value::number(7.5), value::number(1), value::number(5),
                      value::number(1));
  session_.Report(user.accountId, member, RankingType::kSpeed, value::number(33.5));
  const value before = session_.Members(user.accountId);
  const value rankingBefore = session_.Ranking(RankingType::kSpeed);

  server_.Restart();

  // The same client, its connection gone with the old listener.
  EXPECT_EQ(session_.Members(user.accountId), before);
  EXPECT_EQ(session_.Ranking(RankingType::kSpeed), rankingBefore);
  const test::SignedInUser again =
      test::SignInUser(server_, session_.Executor(), session_.Executor(), "park");
  EXPECT_EQ(again.accountId, user.accountId);
  EXPECT_EQ(again.teamName, "지속팀");
  EXPECT_THAT(session_.Box().Texts(), testing::IsEmpty());
}

TEST_P(AppServerTest, ConcurrentClientsLoseNothing) {
  constexpr int kClients = 4;
  constexpr int kMembers = 10;
  const std::uint64_t account = session_.Account("9001");
  std::vector<std::vector<std::uint64_t>> added(kClients);
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([this, c, account, &added] {
      test::AppSession own(server_);
      for (int i = 0; i < kMembers; ++i) {
        const std::uint64_t member =
            own.AddMember(account, "c" + std::to_string(c) + "m" + std::to_string(i));
        own.AddDevice(member, i, 120);
        own.Report(account, member, RankingType::kCadence, value::number(60 + i));
        added[static_cast<std::size_t>(c)].push_back(member);
      }
    });
  }
  for (std::thread& client : clients) client.join();
  std::set<std::uint64_t> loaded;
  const value members = session_.Members(account);
  for (const value& member : members.as_array()) {
    loaded.insert(member.at("id").as_number().to_uint64());
    EXPECT_EQ(member.at("device").size(), 1u);
    EXPECT_FALSE(member.at("score").is_null());
  }
  std::set<std::uint64_t> expected;
  for (const auto& ids : added) expected.insert(ids.begin(), ids.end());
  EXPECT_EQ(loaded, expected);
  EXPECT_EQ(loaded.size(), static_cast<std::size_t>(kClients * kMembers));
}

INSTANTIATE_TEST_SUITE_P(BothStores, AppServerTest,
                         ::testing::Values(Store::kSqlite, Store::kPostgres),
                         [](const ::testing::TestParamInfo<Store>& store) {
                           return StoreName(store.param);
                         });

}  // namespace
}  // namespace vel
