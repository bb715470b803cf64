#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/request_catalogue.h"
#include "sqlite_database.h"

namespace vel::companion {

// What a store operation gives: a value, or the errcode (vel::errcode)
// of why it was refused. A refused operation has changed nothing.
template <typename T>
struct Outcome {
  int errcode = 0;
  T value{};
  bool Ok() const { return errcode == 0; }
};
struct Nothing {};
using Done = Outcome<Nothing>;

struct Account {
  std::uint64_t id = 0;
  std::string teamName;  // empty until the team registers one
};

struct DeviceRecord {
  std::uint64_t id = 0;
  bool active = false;
  int number = 0;
  int type = 0;
};

struct BicycleRecord {
  std::uint64_t id = 0;
  bool active = false;
  std::string name;
  std::optional<double> weight;
  std::optional<int> crank;
  std::optional<int> cassette;
  std::optional<int> tire;
};

struct BodyInfo {
  std::optional<double> height;
  std::optional<double> weight;
  std::optional<int> gender;
};

struct MemberRecord {
  std::uint64_t id = 0;
  std::string name;
  BodyInfo body;
  double bestSpeed = 0;
  int bestCadence = 0;
  int bestHeartRate = 0;
  std::vector<DeviceRecord> devices;    // in the order they were added
  std::vector<BicycleRecord> bicycles;  // in the order they were added
};

struct RankingRow {
  std::string teamName;
  std::string memberName;
  double score = 0;  // a whole number for cadence and heart rate
};

inline constexpr int kRankingRows = 100;

// The teams, their rosters and best scores, kept in the database. Every
// operation is one transaction, committed before it returns, so whatever
// it reported done survives a restart. Safe to call from any thread.
//
// Ownership is checked wherever a request names it: a member must belong
// to the account named, a device or bicycle to the member named.
class TeamStore {
 public:
  explicit TeamStore(SqliteDatabase& database) : database_(database) {}

  // The account of a sign-in user id, made on first sight.
  Outcome<Account> SignInAccount(std::string_view signInId);
  Outcome<Account> FindAccount(std::uint64_t accountId);

  // Free when no team has the name; a usable name is non-empty, at most
  // kMaxTeamName bytes, and has no spaces or control characters.
  Done CheckTeamName(std::string_view name);
  // Taking one's own name again succeeds.
  Done ChangeTeamName(std::uint64_t accountId, std::string_view name);
  static constexpr std::size_t kMaxTeamName = 100;

  Outcome<std::vector<MemberRecord>> LoadMembers(std::uint64_t accountId);
  Outcome<std::uint64_t> AddMember(std::uint64_t accountId, std::string_view name);
  // With the member's devices, bicycles and scores.
  Done DeleteMember(std::uint64_t accountId, std::uint64_t memberId);
  Done SaveBodyInfo(std::uint64_t accountId, std::uint64_t memberId, const BodyInfo& body);

  // A member registers a type and number once.
  Outcome<std::uint64_t> AddDevice(std::uint64_t memberId, int number, int type);
  Done DeleteDevice(std::uint64_t accountId, std::uint64_t memberId, std::uint64_t deviceId);
  // The device becomes the member's one active device of its type and, if
  // it was not active yet, switches off the types TypesSwitchedOffBy names.
  Done ActivateDevice(std::uint64_t memberId, std::uint64_t deviceId);
  Done DeactivateDevice(std::uint64_t memberId, std::uint64_t deviceId);

  // `bicycle.id` and `active` are ignored; a new bicycle is inactive.
  Outcome<std::uint64_t> AddBicycle(std::uint64_t memberId, const BicycleRecord& bicycle);
  Done DeleteBicycle(std::uint64_t accountId, std::uint64_t memberId, std::uint64_t bicycleId);
  // The member's one active bicycle.
  Done ActivateBicycle(std::uint64_t memberId, std::uint64_t bicycleId);
  Done DeactivateBicycle(std::uint64_t memberId, std::uint64_t bicycleId);

  // Raises the member's best of that type when `score` is higher; the
  // value says whether it was.
  Outcome<bool> ReportScore(std::uint64_t accountId, std::uint64_t memberId, RankingType type,
                            double score);
  // Every team's members with a best of that type above 0, best first
  // (equal scores in the order the members were added), kRankingRows at most.
  std::vector<RankingRow> LoadRanking(RankingType type);

  // A member with body data, devices (with their active flags as given) and
  // bicycles, added in one transaction; for seeding a database.
  Outcome<std::uint64_t> ImportMember(std::uint64_t accountId, const MemberRecord& member);

 private:
  SqliteDatabase& database_;
};

}  // namespace vel::companion
